#ifndef TARWENDLE_CHECK_CONFIGWATCH_H
#define TARWENDLE_CHECK_CONFIGWATCH_H

#include <csignal>
#include <ctime>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ConfigCheck.h"
#include "ObjectService.h"

/*
 * A configuration watched deciding on the live controller before it drives
 * the relay. Every poll is the service's own poll (the same request, walk
 * and decision) against a service that reads from the object service and
 * never writes. Only a poll that changes something is shown, as one block:
 * the rules whose reading or verdict changed, the decision in the history's
 * words, and the output's actual state beside it.
 */
class ConfigWatch {
public:
    struct Event {
        std::time_t when;
        cObject::eObjectIOState state;
    };

    // Watches with `check`'s engine, which it uses up, reading through
    // `service`, which it owns and never writes to.
    ConfigWatch(ConfigCheck& check, std::unique_ptr<ObjectService> service, std::ostream& out);
    ~ConfigWatch();

    // Polls every `seconds` until `polls` polls (0: no bound) or until a
    // SIGINT or SIGTERM, then writes the summary.
    void run(unsigned int seconds, unsigned long polls);
    // One poll at local time `now`, its block written if anything changed.
    void poll(std::time_t now);
    // Polls watched and failed; when the configuration would have switched
    // the output, and when the output actually changed.
    void summary(std::ostream& out) const;

    unsigned long watched() const { return polls; }
    unsigned long failed() const { return failures; }
    const std::vector<Event>& wouldSwitch() const { return switches; }
    const std::vector<Event>& changed() const { return changes; }

private:
    class ReadOnly;

    // Each rule's line as it stands after this poll.
    std::vector<std::string> ruleLines();
    void failedRead(std::time_t now, const std::string& why);
    void answered(std::time_t now);

    ConfigCheck& check;
    std::ostream& out;
    ReadOnly* reader;  // lent: the engine owns it
    std::time_t clockNow = 0;

    unsigned long polls = 0;
    unsigned long failures = 0;
    std::time_t first = 0;
    std::time_t last = 0;
    // What was last shown, so that only changes are; empty before the first
    // block.
    std::vector<std::string> shownRules;
    std::string shownDecision;
    std::string shownOutput;
    // The reason of the failures shown since the last answer, if any.
    std::optional<std::string> shownFailure;
    // The output's state had the configuration driven it, and as answered.
    std::optional<cObject::eObjectIOState> driven;
    std::optional<cObject::eObjectIOState> actual;
    std::vector<Event> switches;
    std::vector<Event> changes;
};

#endif

#ifndef TARWENDLE_ENGINE_WENDLEENGINE_H
#define TARWENDLE_ENGINE_WENDLEENGINE_H

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ObjectService.h"
#include "PortIndex.h"
#include "RuleText.h"
#include "RuleWords.h"
#include "SwitchHistory.h"
#include "cObjectAInput.h"
#include "cObjectDInput.h"
#include "cObjectDOutput.h"
#include "cWlog2.h"

/*
 * The output-control engine: owns the controlled output, the trigger rules
 * and the weekly time windows, and decides on every poll whether the output
 * is released or inhibited.
 *
 * The object library is used only through the operations that every build
 * of it has, a controller's own included: getters that need not be const,
 * codes by value (ObjectCodes.h), a fresh request list for every poll.
 */
class WendleEngine : public cWlog2 {
public:
    // The controlled digital output. Its states and port id are refreshed by
    // every poll; the configuration only names it.
    class OutputPort : public cObjectDOutput {
    public:
        ~OutputPort() override;

        // Takes port label and hexadecimal device id from the "output"
        // object; null leaves the port as it was built.
        void parse(nlohmann::json output);

        // Puts the output at its default state.
        void Inhibit();
        // Puts the output at the opposite of its default state.
        void Release();
    };

    // A rule on a digital input's alarm status.
    class DigitalTrigger : public cObjectDInput {
    public:
        static constexpr int32_t OPERATION_ALARM = 0;
        static constexpr int32_t OPERATION_NOALARM = 1;
        // The "operation" words, by their codes.
        static constexpr const char* OPERATIONS[] = {"alarm", "noalarm"};
        // Held when "operation" names neither condition; never releases.
        static constexpr int32_t OPERATION_NONE = -1;

        explicit DigitalTrigger(nlohmann::json entry);
        ~DigitalTrigger() override;

        bool shouldRelease();
        // "releases while DI1 on device a1 is in alarm"
        std::string condition();
        // What it reads now: "DI1 on device a1 in alarm", "... not reported".
        std::string reading();

        int32_t operation = OPERATION_NONE;
        // Where the document gave it: "cfg.triggers[0]".
        std::string path;
    };

    // A rule on an analog input's calculated value against a level.
    class AnalogTrigger : public cObjectAInput {
    public:
        static constexpr int32_t OPERATION_GT = 0;
        static constexpr int32_t OPERATION_LT = 1;
        static constexpr const char* OPERATIONS[] = {"gt", "lt"};
        // Held when "operation" names neither condition; never releases.
        static constexpr int32_t OPERATION_NONE = -1;

        explicit AnalogTrigger(nlohmann::json entry);
        ~AnalogTrigger() override;

        bool shouldRelease();
        // "releases while AI1 on device a1 is above 25"
        std::string condition();
        // What it reads now: "AI1 on device a1 at 61".
        std::string reading();
        // A reading that asks for release, with the level it passed:
        // "AI1 on device a1 at 61 (above 60)".
        std::string asking();

        int32_t operation = OPERATION_NONE;
        float level = 0.0F;
        std::string path;
    };

    // One weekly window, its bounds' minutes included.
    class TimeLimit : public RuleText::Window {
    public:
        // Days are numbered as the local time's weekday: 0 is Sunday.
        static constexpr int DAYS_IN_WEEK = RuleWords::DAYS_IN_WEEK;

        explicit TimeLimit(nlohmann::json entry);
        // From the keys of an entry, already read.
        explicit TimeLimit(const RuleText::Fields& fields);

        // Whether the current local time lies inside the window.
        bool isInRange() const;
        // The same test against a given broken-down local time.
        bool isInRange(const std::tm& now) const;
        // "forces release Mon–Fri 07:30–08:00:59", or why it never applies.
        std::string words(bool mustrun) const;

        std::string path;
    };

    /*
     * What the rules say at one local time: release or inhibit, the
     * triggers that asked for release and the windows that were active, in
     * the order asked. The poll writes it; the switching history and the
     * checker tell it. The rules are the engine's, lent.
     */
    struct Decision {
        // What the windows make of the output: an exclude window inhibits
        // whatever else holds, a must-run window releases whatever the
        // triggers say, and with neither the triggers decide.
        enum class Windows : std::uint8_t { TRIGGERS, RELEASE, INHIBIT };

        bool release = false;
        std::vector<AnalogTrigger*> analog;
        std::vector<DigitalTrigger*> digital;
        std::vector<const TimeLimit*> mustrun;
        std::vector<const TimeLimit*> exclude;

        // The same verdict from the same rules.
        bool operator==(const Decision& other) const {
            return release == other.release && analog == other.analog && digital == other.digital &&
                   mustrun == other.mustrun && exclude == other.exclude;
        }
        Windows windows() const {
            return !exclude.empty()   ? Windows::INHIBIT
                   : !mustrun.empty() ? Windows::RELEASE
                                      : Windows::TRIGGERS;
        }
        bool asked(const cObjectPort* trigger) const;
        bool active(const TimeLimit* window) const;
        // Each rule behind it as "path: words": what made it so and what
        // was overridden.
        SwitchHistory::Causes causes() const;
    };

    /*
     * Whoever watches the running service from outside, told of every poll
     * as it ends and of every tick of the loop. Lent; without one the poll
     * tells nobody and formats nothing for it.
     */
    class Watcher {
    public:
        virtual ~Watcher() = default;
        // The switching history told a line.
        virtual void told(const std::string& line) = 0;
        // A poll was answered and `state` written, released or not. The
        // port written, in the history's words, comes with a write that was
        // refused or never acknowledged; with any other it is empty.
        virtual void answered(ObjectService::Write outcome, const std::string& port,
                              cObject::eObjectIOState state, bool released) = 0;
        // A poll that got no answer.
        virtual void unanswered() = 0;
        // A poll is about to begin.
        virtual void polling() = 0;
        // The loop goes on: after every poll and every tick.
        virtual void alive() = 0;
    };

    // What the constructor made of one entry, so that a tool that checks a
    // configuration can say what every entry became and which one an error
    // came from. Paths start at the document's root: "cfg.output",
    // "cfg.triggers[2]", "cfg.timelimits[0]" (an object's member by its key, a
    // lone value by its section's name).
    struct BuildRecord {
        enum class Kind { OUTPUT, DIGITAL, ANALOG, WINDOW, SKIPPED };
        std::string path;
        nlohmann::json entry;
        Kind kind = Kind::SKIPPED;
        // False while the entry is being built: an entry that fails leaves
        // the last record so. A failure after every entry (a request too
        // large to send) leaves them all built.
        bool built = false;
        // The port built, for the output and the triggers: the engine's, for
        // as long as it lives.
        cObjectPort* port = nullptr;
        // The window built, also the engine's, and whether it must run.
        const TimeLimit* window = nullptr;
        bool mustrun = false;

        DigitalTrigger& digital() const { return static_cast<DigitalTrigger&>(*port); }
        AnalogTrigger& analog() const { return static_cast<AnalogTrigger&>(*port); }
        // What the entry became, as its rule says it.
        std::string words() const;
    };

    // Builds the engine from the IO-data section: output port, triggers,
    // time limits, then the client (not yet connected). A record, if any,
    // is lent for the constructor's duration and gains an entry per entry.
    explicit WendleEngine(nlohmann::json section, std::vector<BuildRecord>* record = nullptr);

    // Builds the one engine and runs it; does nothing if it exists.
    static void start(nlohmann::json section);
    // The first half of start: builds and publishes the one engine unless
    // it exists, and returns it. Lets a caller tell a failure to build from
    // a failure while running.
    static WendleEngine* create(nlohmann::json section);
    static WendleEngine* _WendleEngine;

    // Connects and polls forever.
    void run();
    // One poll: request, response walk, decision, output write.
    void update_ports();
    void update_trigger(cObjectAInput* input);
    void update_trigger(cObjectDInput* input);
    void update_output();

    // Asks every trigger, then every window at local time `now` (each
    // logged), once.
    Decision decide(const std::tm& now);
    // The last poll's decision, for a tool that explains it.
    const Decision& decided() const { return decision; }

    // Adds every port a poll reads to `list`, in the poll's order.
    void listPorts(cObjectList& list);
    OutputPort& getOutput() { return output; }

    // Talks to something else in the object service's place.
    void useService(std::unique_ptr<ObjectService> replacement);
    // Judges the windows at the instants `clock` gives instead of now.
    void useClock(std::function<std::time_t()> replacement);
    // Tells `watcher` of every poll and tick from now on; null for nobody.
    void useWatcher(Watcher* watcher);

private:
    // Throws std::length_error when the poll's request exceeds what the
    // object service can be sent.
    void requireSendableRequest();
    void askWindows(const std::vector<TimeLimit>& limits, const std::tm& now, const char* heading,
                    std::vector<const TimeLimit*>& active);
    // The write goes to the port id of `last`, the answer's last output.
    void aimAt(cObjectDOutput& last);
    // The port that the write goes to, as the history names it.
    std::string writtenPort();
    // What became of the write of `state`, sent at `sent`.
    void tellWrite(cObject::eObjectIOState state, ObjectService::Write outcome, std::time_t sent);

    std::unique_ptr<ObjectService> client;
    std::function<std::time_t()> clock;
    Watcher* watcher = nullptr;
    OutputPort output;
    std::vector<std::unique_ptr<AnalogTrigger>> analog_triggers;
    std::vector<std::unique_ptr<DigitalTrigger>> digital_triggers;
    std::vector<TimeLimit> mustrun_limits;
    std::vector<TimeLimit> exclude_limits;

    // The triggers by the port they watch, so a response is matched
    // without scanning every trigger for every input.
    PortIndex<AnalogTrigger> analog_index;
    PortIndex<DigitalTrigger> digital_index;
    // Whether this poll formats its debug lines at all.
    bool tracing = false;
    Decision decision;
    SwitchHistory history;
    // Whether the output's port id came from the configured output (or from
    // no answer yet); if not, the port written to, in the history's words.
    bool writesOutput = true;
    std::string writtenWords;
};

#endif

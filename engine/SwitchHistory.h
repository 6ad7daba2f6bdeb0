#ifndef TARWENDLE_ENGINE_SWITCHHISTORY_H
#define TARWENDLE_ENGINE_SWITCHHISTORY_H

#include <cstddef>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ObjectService.h"
#include "cObject.h"
#include "cObjectPort.h"
#include "cWlog2.h"

/*
 * The output's switching history, for the operator who asks why the relay
 * switched last night: one INFO line under a category of its own for every
 * change of state the service can know of, once, in order. Kept at INFO, it
 * needs no restart into DEBUG.
 *
 * - The service's own write that changed a port, when that is known: at the
 *   acknowledgement, or when a later answer shows the port in the state
 *   written (a controller's library never says, and an acknowledgement may
 *   not come). Such a line names the rules of the poll that wrote, and when
 *   that poll was.
 * - A change of the configured output made by something else, when an
 *   answer first shows it.
 * - Once at start-up, the first write known to take, changed or not: the
 *   history then begins with the state the service set and why.
 * Nothing else: a refused write, a write that leaves the state as it was,
 * an output left out of an answer, a failed read.
 *
 * Ports are told apart as a write reaches them, by device and port id: the
 * poll writes to the port id of the last output in its answer, which need
 * not be the configured one. A few are followed; an answer that renumbers
 * ports endlessly costs no memory.
 *
 * A poll that changes nothing costs a comparison or two; the caller makes
 * the sentence only when wants() says it will be told or kept.
 */
class SwitchHistory : public cWlog2 {
public:
    static constexpr const char* CATEGORY = "Output";
    // The ports followed at most: the configured output and the last few
    // that a write reached.
    static constexpr std::size_t PORTS_FOLLOWED = 8;

    // The rules behind a decision, each "path: words", in the order the
    // decision asks them.
    struct Causes {
        // The rules that made it so; none for an output no rule releases.
        std::vector<std::string> by;
        // Rules that asked for release and were overridden.
        std::vector<std::string> over;
    };

    // Where a write goes: the device and port id it carries.
    struct Target {
        unsigned int serial;
        unsigned int portId;
        bool operator==(const Target& other) const {
            return serial == other.serial && portId == other.portId;
        }
    };

    // How an answered output matters to the history.
    enum class Seen {
        OUTPUT,  // the configured output: a move by someone else is told
        TARGET,  // where this poll's write will go: its state is needed
        OTHER,   // followed only if a write reached it before
    };

    SwitchHistory();

    // Told every line as it is told, besides the log; none by default.
    void useListener(std::function<void(const std::string&)> listener);

    // An answer shows `port` in `state`; a state that is neither high nor
    // low says nothing.
    void observed(cObjectPort& port, cObject::eObjectIOState state, Seen seen);
    // Whether a write of `state` to `target` with that outcome needs its
    // sentence: it will be told now, or kept until an answer shows it.
    bool wants(Target target, cObject::eObjectIOState state, ObjectService::Write outcome) const;
    // A write sent at `sent`, and what became of it; `sentence` as wants()
    // asked.
    void wrote(Target target, cObject::eObjectIOState state, ObjectService::Write outcome,
               std::string sentence, std::time_t sent);

    // "DO1 on device a1: HIGH (released) by cfg.triggers[0]: DI1 on device
    // a1 in alarm"; causes joined by "; ".
    static std::string sentence(const std::string& port, cObject::eObjectIOState state,
                                bool released, const Causes& causes);
    // "DO1 on device a1: HIGH (changed outside tarwendle)"
    static std::string outside(const std::string& port, cObject::eObjectIOState state);

private:
    // A write whose fate only an answer can tell.
    struct Pending {
        cObject::eObjectIOState state;
        std::string sentence;
        std::time_t sent;
    };
    struct Port {
        Target target;
        // Words for a move by someone else; only the configured output's.
        std::string words;
        std::optional<cObject::eObjectIOState> known;
        std::optional<Pending> pending;
    };

    bool keeps() const;
    Port* find(Target target);
    const Port* find(Target target) const;
    Port& follow(Target target);
    // Whether a write of `state` that took is a line.
    bool isNews(const Port& port, cObject::eObjectIOState state) const;
    void tell(const std::string& line);

    // Most recently reached last.
    std::vector<Port> ports;
    bool firstWriteTold = false;
    std::function<void(const std::string&)> listener;
};

#endif

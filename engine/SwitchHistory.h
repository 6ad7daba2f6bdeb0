#ifndef TARWENDLE_ENGINE_SWITCHHISTORY_H
#define TARWENDLE_ENGINE_SWITCHHISTORY_H

#include <optional>
#include <string>
#include <vector>

#include "ObjectService.h"
#include "cObject.h"
#include "cWlog2.h"

/*
 * The output's switching history, for the operator who asks why the relay
 * switched last night: one INFO line under a category of its own whenever
 * the output takes a state unlike the last one told, and for the first
 * write after start-up, naming the rules that made it so. Kept at INFO, it
 * needs no restart into DEBUG.
 *
 * It tells only what happened, as far as the object service lets us know.
 * A write the service acknowledged is told at once; a refused or unanswered
 * one is no switch, and answers are not consulted. A write whose fate the
 * library cannot say waits until an answer reports the output in that
 * state, and is forgotten when one reports otherwise; there, an answer that
 * shows the output moved by something else is followed silently, so that
 * our next write back is news.
 *
 * A write that repeats the last costs a comparison or two; the caller
 * formats the sentence only when wants() says it will be told or kept.
 */
class SwitchHistory : public cWlog2 {
public:
    static constexpr const char* CATEGORY = "Output";

    // The rules behind a decision, each "path: words", in the order the
    // decision asks them.
    struct Causes {
        // The rules that made it so; none for an output no rule releases.
        std::vector<std::string> by;
        // Rules that asked for release and were overridden.
        std::vector<std::string> over;
    };

    SwitchHistory();

    // Whether a write of `state` with that outcome needs its sentence: it
    // will be told now, or kept until an answer shows it.
    bool wants(cObject::eObjectIOState state, ObjectService::Write outcome) const;
    // A write of `state` and what became of it; `sentence` as wants() asked.
    void wrote(cObject::eObjectIOState state, ObjectService::Write outcome, std::string sentence);
    // The output's state as an answer reports it.
    void observed(cObject::eObjectIOState state);

    // "DO1 on device a1: HIGH (released) by cfg.triggers[0]: DI1 on device
    // a1 in alarm"; causes joined by "; ".
    static std::string sentence(const std::string& output, cObject::eObjectIOState state,
                                bool released, const Causes& causes);

private:
    struct Pending {
        cObject::eObjectIOState state;
        std::string sentence;
    };

    bool isNews(cObject::eObjectIOState state) const { return !told || state != *told; }
    void tell(cObject::eObjectIOState state, const std::string& sentence);

    // The state the output was last known to take; none before the first.
    std::optional<cObject::eObjectIOState> told;
    // A write sent, not yet shown by an answer.
    std::optional<Pending> pending;
    // Writes are confirmed by answers, not acknowledged.
    bool byAnswers = false;
};

#endif

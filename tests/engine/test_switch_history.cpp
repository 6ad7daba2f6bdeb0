// The switching history tells a switch only once it is known to have happened.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CapturingAppender.h"
#include "SwitchHistory.h"

namespace {

using Write = ObjectService::Write;
constexpr cObject::eObjectIOState HIGH = cObject::IOSTATE_HIGH;
constexpr cObject::eObjectIOState LOW = cObject::IOSTATE_LOW;

// A write (with the sentence its poll would make) or, with no sentence, an
// answer that reports the output's state.
struct Step {
    cObject::eObjectIOState state;
    Write outcome;
    const char* sentence;
};
Step wrote(cObject::eObjectIOState state, Write outcome, const char* sentence) {
    return {state, outcome, sentence};
}
Step answer(cObject::eObjectIOState state) {
    return {state, Write::REFUSED, nullptr};
}

TEST(SwitchHistoryTest, TellsOnlySwitchesKnownToHaveHappened) {
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::string> told;
    } cases[] = {
        {"acknowledged: the first write and each change",
         {wrote(LOW, Write::APPLIED, "a"), wrote(LOW, Write::APPLIED, "b"),
          wrote(HIGH, Write::APPLIED, "c")},
         {"a", "c"}},
        {"a refused write is no switch; the next applied one is",
         {wrote(LOW, Write::APPLIED, "a"), wrote(HIGH, Write::REFUSED, "b"),
          wrote(HIGH, Write::APPLIED, "c")},
         {"a", "c"}},
        {"acknowledged: answers are not consulted",
         {wrote(LOW, Write::APPLIED, "a"), answer(HIGH), wrote(LOW, Write::APPLIED, "b")},
         {"a"}},
        {"unconfirmed: told once an answer shows it",
         {wrote(LOW, Write::UNCONFIRMED, "a"), answer(LOW), wrote(LOW, Write::UNCONFIRMED, "b"),
          answer(LOW)},
         {"a"}},
        {"unconfirmed: forgotten when an answer shows otherwise",
         {wrote(HIGH, Write::UNCONFIRMED, "a"), answer(LOW), wrote(HIGH, Write::UNCONFIRMED, "b"),
          answer(HIGH)},
         {"b"}},
        {"unconfirmed: a repeated write keeps the sentence of the first",
         {wrote(HIGH, Write::UNCONFIRMED, "a"), wrote(HIGH, Write::UNCONFIRMED, "b"), answer(HIGH)},
         {"a"}},
        {"unconfirmed: moved by something else, our write back is news",
         {wrote(LOW, Write::UNCONFIRMED, "a"), answer(LOW), answer(HIGH),
          wrote(LOW, Write::UNCONFIRMED, "b"), answer(LOW)},
         {"a", "b"}},
        {"unconfirmed: a write of the told state drops the one waiting",
         {wrote(LOW, Write::UNCONFIRMED, "a"), answer(LOW), wrote(HIGH, Write::UNCONFIRMED, "b"),
          wrote(LOW, Write::UNCONFIRMED, "c"), answer(HIGH)},
         {"a"}},
    };
    for (const auto& c : cases) {
        CapturingAppender capture;
        SwitchHistory history;
        for (const Step& step : c.steps) {
            if (step.sentence == nullptr) {
                history.observed(step.state);
            } else {
                // As the poll does: a sentence only when it is wanted.
                history.wrote(step.state, step.outcome,
                              history.wants(step.state, step.outcome) ? step.sentence : "");
            }
        }
        EXPECT_EQ(capture.messages(), c.told) << c.name;
    }
}

}  // namespace

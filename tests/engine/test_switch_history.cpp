// The switching history against the truth: a stand-in object service keeps
// every output's true state while, seed by seed, something else moves the
// output, writes are refused or lose their acknowledgement, the output is
// left out of answers and a second output comes before or after it. Every
// change the service can know of must be told once, in order, with its port
// and cause, and nothing else.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "CapturingAppender.h"
#include "CaughtStdout.h"
#include "LocalTime.h"
#include "MemoryService.h"
#include "WendleEngine.h"

namespace {

using Write = ObjectService::Write;
using State = cObject::eObjectIOState;
constexpr State HIGH = cObject::IOSTATE_HIGH;
constexpr State LOW = cObject::IOSTATE_LOW;
constexpr unsigned int OUTPUT = 3, OTHER = 5;  // port ids on device a1

// Answers the outputs in `shown`, in that order, in their true states;
// applies or drops a write, and reports what it is told to.
struct Truth : MemoryService {
    std::map<unsigned int, State> state;
    std::map<unsigned int, std::string> label;
    std::vector<unsigned int> shown;
    bool takes = true, changed = false;
    Write reported = Write::APPLIED;
    unsigned int sentTo = 0;
    State sent = LOW;

    Write set(cObject* object) override {
        auto* written = static_cast<cObjectDOutput*>(object);
        sentTo = written->getPortId();
        sent = written->getOutputState();
        changed = takes && state[sentTo] != sent;
        state[sentTo] = takes ? sent : state[sentTo];
        return reported;
    }
};

// One seed; `unconfirmed` for a library that never says whether a write took.
void runSeed(unsigned int seed, bool unconfirmed) {
    std::mt19937 random(seed);
    const auto chance = [&](int percent) { return int(random() % 100) < percent; };
    // A line feed in a label stays inside the line; an unlabelled port is
    // named by its id.
    const bool feed = chance(20), unlabelled = chance(30);
    std::map<unsigned int, std::string> words = {
        {OUTPUT, feed ? "DO\\n1 on device a1" : "DO1 on device a1"},
        {OTHER, unlabelled ? "port 5 on device a1" : "DO2 on device a1"}};
    nlohmann::json section = {{"output", {{"label", feed ? "DO\n1" : "DO1"}, {"deviceid", "a1"}}}};
    for (const char* label : {"DI1", "DI2"}) {
        section["triggers"].push_back(
            {{"type", "digital"}, {"label", label}, {"deviceid", "a1"}, {"operation", "alarm"}});
    }
    CapturingAppender capture;
    std::unique_ptr<WendleEngine> engine;
    {
        CaughtStdout quiet;  // the construction's trace, not a failure's report
        engine = std::make_unique<WendleEngine>(section);
    }
    auto owned = std::make_unique<Truth>();
    Truth& truth = *owned;
    engine->useService(std::move(owned));
    std::time_t now = 1796630400;
    engine->useClock([&] { return now; });
    truth.label = {{OUTPUT, feed ? "DO\n1" : "DO1"}, {OTHER, unlabelled ? "" : "DO2"}};
    truth.state = {{OUTPUT, chance(50) ? HIGH : LOW}, {OTHER, chance(50) ? HIGH : LOW}};

    // Writes whose fate only an answer can tell (the line due if it took,
    // and whether it changed the state), and a move nobody has seen: the
    // next answer must show their port before anything else happens to it,
    // or the change would be unknowable.
    struct Open {
        State state;
        std::string line;
        bool changed;
    };
    std::map<unsigned int, Open> open;
    bool unseenMove = false, firstTold = false, everShown = false, alarm[2] = {false, false};
    std::size_t seen = 0;
    for (int poll = 0; poll < 40; ++poll, now += 22) {
        if (everShown && open.empty() && !unseenMove && chance(15)) {
            truth.state[OUTPUT] = truth.state[OUTPUT] == HIGH ? LOW : HIGH;
            unseenMove = true;
        }
        const bool answers = chance(85), otherFirst = chance(50);
        const bool showOther = open.count(OTHER) != 0 || chance(35);
        truth.shown.clear();
        for (unsigned int id : otherFirst ? std::vector<unsigned int>{OTHER, OUTPUT}
                                          : std::vector<unsigned int>{OUTPUT, OTHER}) {
            if (id == OTHER ? showOther
                            : !everShown || unseenMove || open.count(OUTPUT) != 0 || chance(75)) {
                truth.shown.push_back(id);
            }
        }
        const int fate = int(random() % 10);
        truth.reported = unconfirmed ? Write::UNCONFIRMED
                         : fate < 6  ? Write::APPLIED
                         : fate < 8  ? Write::REFUSED
                                     : Write::UNACKNOWLEDGED;
        truth.takes = truth.reported == Write::APPLIED ||
                      (truth.reported != Write::REFUSED && chance(unconfirmed ? 80 : 50));
        truth.forgetAnswers();
        truth.setAnswering(answers);
        for (int i = 0; i < 2; ++i) {
            alarm[i] = chance(30) ? !alarm[i] : alarm[i];
            truth.digitalInput(i == 0 ? "DI1" : "DI2", 0xa1,
                               alarm[i] ? cObject::STATUS_ALARM_SET : cObject::STATUS_ALARM_CLEAR);
        }
        for (unsigned int id : truth.shown) {
            truth.digitalOutput(truth.label[id].c_str(), 0xa1, id, truth.state[id], LOW);
        }

        std::vector<std::string> expected;
        for (unsigned int id : answers ? truth.shown : std::vector<unsigned int>{}) {
            everShown = true;
            auto it = open.find(id);
            if (it != open.end() && truth.state[id] == it->second.state) {
                if (it->second.changed || !firstTold) {
                    expected.push_back(it->second.line);
                }
                firstTold = true;
            }
            if (it != open.end()) {
                open.erase(it);
            }
            if (id == OUTPUT && unseenMove) {
                expected.push_back(words[id] + (truth.state[id] == HIGH ? ": HIGH" : ": LOW") +
                                   " (changed outside tarwendle)");
                unseenMove = false;
            }
        }
        engine->update_ports();
        if (answers) {
            std::string line = words[truth.sentTo] + ": LOW (inhibited): no rule asks for release";
            if (alarm[0] || alarm[1]) {
                line = words[truth.sentTo] + ": HIGH (released) by " +
                       (alarm[0] ? "cfg.triggers[0]: DI1 on device a1 in alarm" : "") +
                       (alarm[0] && alarm[1] ? "; " : "") +
                       (alarm[1] ? "cfg.triggers[1]: DI2 on device a1 in alarm" : "");
            }
            if (truth.reported == Write::APPLIED && (truth.changed || !firstTold)) {
                expected.push_back(line);
            }
            firstTold = firstTold || truth.reported == Write::APPLIED;
            if (truth.reported != Write::APPLIED && truth.reported != Write::REFUSED) {
                open[truth.sentTo] = {truth.sent, line + "; sent at " + LocalTime::clock(now),
                                      truth.changed};
            }
        }
        std::vector<std::string> told;
        for (; seen < capture.events().size(); ++seen) {
            if (capture.events()[seen].category == SwitchHistory::CATEGORY) {
                told.push_back(capture.events()[seen].message);
            }
        }
        ASSERT_EQ(told, expected) << "seed " << seed << (unconfirmed ? " unconfirmed" : "")
                                  << ", poll " << poll;
    }
}

TEST(SwitchHistoryTest, TellsEveryKnowableChangeOnceAndNothingElse) {
    for (unsigned int seed = 1; seed <= 300 && !::testing::Test::HasFatalFailure(); ++seed) {
        runSeed(seed, false);
        runSeed(seed, true);
    }
}

}  // namespace

// The switching history against the truth: a stand-in object service keeps
// every output's true state while, seed by seed, something else moves the
// output, writes are refused or lose their acknowledgement, the output is
// left out of answers and a second output comes after it. The history must
// tell every change the service can know of, once, in order, with its port
// and cause, and nothing else.
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CapturingAppender.h"
#include "CaughtStdout.h"
#include "SwitchHistory.h"
#include "WendleEngine.h"

namespace {

using Write = ObjectService::Write;
using State = cObject::eObjectIOState;
using Lines = std::vector<std::string>;
constexpr State HIGH = cObject::IOSTATE_HIGH;
constexpr State LOW = cObject::IOSTATE_LOW;
constexpr unsigned int DEVICE = 0xa1;
constexpr unsigned int OUTPUT_ID = 3;
constexpr unsigned int OTHER_ID = 5;
constexpr int POLLS = 40;
constexpr int SEEDS = 300;

// What the stand-in does in one poll.
struct Plan {
    bool answers = true;
    bool showsOutput = true;
    enum { NONE, BEFORE, AFTER } other = NONE;  // the second output, around the first
    bool takes = true;                          // whether the write is applied
    Write reported = Write::APPLIED;
};

class TruthService : public ObjectService {
public:
    TruthService(std::string outputLabel, std::string otherLabel)
        : labels{{OUTPUT_ID, std::move(outputLabel)}, {OTHER_ID, std::move(otherLabel)}} {}

    void start(const char* /*host*/, int /*port*/) override {}
    cObjectList* get(cObjectList* /*request*/) override {
        if (!plan.answers) {
            return nullptr;
        }
        objects.clear();
        reply = std::make_unique<cObjectList>();
        for (int i = 0; i < 2; ++i) {
            auto input = std::make_unique<cObjectDInput>();
            input->setPortLabel(i == 0 ? "DI1" : "DI2");
            input->setDeviceSerial(DEVICE);
            input->setPortStatus(alarm[i] ? cObject::STATUS_ALARM_SET
                                          : cObject::STATUS_ALARM_CLEAR);
            add(std::move(input));
        }
        if (plan.other == Plan::BEFORE) {
            addOutput(OTHER_ID);
        }
        if (plan.showsOutput) {
            addOutput(OUTPUT_ID);
        }
        if (plan.other == Plan::AFTER) {
            addOutput(OTHER_ID);
        }
        return reply.get();
    }
    Write set(cObject* object) override {
        auto* written = static_cast<cObjectDOutput*>(object);
        const unsigned int id = written->getPortId();
        const State state = written->getOutputState();
        sent = Sent{id, state, plan.takes && truth[id] != state};
        if (plan.takes) {
            truth[id] = state;
        }
        return plan.reported;
    }

    struct Sent {
        unsigned int portId;
        State state;
        bool changed;
    };
    std::map<unsigned int, std::string> labels;
    std::map<unsigned int, State> truth;
    bool alarm[2] = {false, false};
    Plan plan;
    std::optional<Sent> sent;

private:
    void add(std::unique_ptr<cObject> object) {
        reply->add(object.get());
        objects.push_back(std::move(object));
    }
    void addOutput(unsigned int id) {
        auto port = std::make_unique<cObjectDOutput>();
        port->setPortLabel(labels[id].c_str());
        port->setDeviceSerial(DEVICE);
        port->setPortId(id);
        port->setOutputState(truth[id]);
        port->setDefaultState(LOW);
        add(std::move(port));
    }
    std::vector<std::unique_ptr<cObject>> objects;
    std::unique_ptr<cObjectList> reply;
};

// Keeps the port named with each write that failed or was not acknowledged.
class FailedWrites : public WendleEngine::Watcher {
public:
    void told(const std::string& /*line*/) override {}
    void answered(Write outcome, const std::string& port, State /*state*/,
                  bool /*released*/) override {
        last = outcome == Write::REFUSED || outcome == Write::UNACKNOWLEDGED ? port : "";
    }
    void unanswered() override {}
    void polling() override {}
    void alive() override {}
    std::string last;
};

std::string clockOf(std::time_t instant) {
    std::tm local{};
    localtime_r(&instant, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

// The truth, as far as the service can know it, in the history's words.
class Model {
public:
    Model(std::map<unsigned int, std::string> words) : words(std::move(words)) {}

    // A write the stand-in took in poll `p`; its line if it is told now.
    void wrote(const TruthService::Sent& sent, Write reported, const std::string& sentence,
               std::time_t at, Lines& told) {
        if (reported == Write::APPLIED) {
            if (sent.changed || !firstTold) {
                told.push_back(words[sent.portId] + sentence);
            }
            firstTold = true;
        } else if (reported != Write::REFUSED) {
            unresolved[sent.portId] = Unresolved{sent.state, sentence, at, sent.changed};
        }
    }
    void movedOutside() { unseenMove = true; }
    // An answer shows the port in its true state.
    void shown(unsigned int id, State truth, Lines& told) {
        auto it = unresolved.find(id);
        if (it != unresolved.end()) {
            if (truth == it->second.state) {
                if (it->second.changed || !firstTold) {
                    told.push_back(words[id] + it->second.sentence + "; sent at " +
                                   clockOf(it->second.at));
                }
                firstTold = true;
            }
            unresolved.erase(it);
        }
        if (id == OUTPUT_ID && unseenMove) {
            told.push_back(words[id] + ": " + (truth == HIGH ? "HIGH" : "LOW") +
                           " (changed outside tarwendle)");
            unseenMove = false;
        }
    }
    // Ports an answer must show before anything else happens to them: a
    // change that nobody has seen, or a write whose fate is open, would
    // otherwise be unknowable.
    std::set<unsigned int> mustShow() const {
        std::set<unsigned int> ids;
        for (const auto& open : unresolved) {
            ids.insert(open.first);
        }
        if (unseenMove) {
            ids.insert(OUTPUT_ID);
        }
        return ids;
    }
    std::map<unsigned int, std::string> words;

private:
    struct Unresolved {
        State state;
        std::string sentence;
        std::time_t at;
        bool changed;
    };
    std::map<unsigned int, Unresolved> unresolved;
    bool unseenMove = false;
    bool firstTold = false;
};

std::string sentence(bool release, const bool alarm[2]) {
    if (!release) {
        return ": LOW (inhibited): no rule asks for release";
    }
    std::string by;
    for (int i = 0; i < 2; ++i) {
        if (alarm[i]) {
            by += std::string(by.empty() ? "" : "; ") + "cfg.triggers[" + std::to_string(i) +
                  "]: DI" + std::to_string(i + 1) + " on device a1 in alarm";
        }
    }
    return ": HIGH (released) by " + by;
}

Lines toldSince(const CapturingAppender& capture, std::size_t& seen) {
    Lines lines;
    for (; seen < capture.events().size(); ++seen) {
        if (capture.events()[seen].category == SwitchHistory::CATEGORY) {
            lines.push_back(capture.events()[seen].message);
        }
    }
    return lines;
}

// One seed: `unconfirmed` for a library that never says whether a write took.
void runSeed(unsigned int seed, bool unconfirmed) {
    std::mt19937 random(seed);
    const auto chance = [&](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random) < percent;
    };
    // A line feed in a label must stay inside the line; an unlabelled port
    // is named by its id.
    const std::string outputLabel = chance(20) ? "DO\n1" : "DO1";
    const std::string otherLabel = chance(30) ? "" : "DO2";
    Model model(
        {{OUTPUT_ID, (outputLabel == "DO1" ? "DO1" : "DO\\n1") + std::string(" on device a1")},
         {OTHER_ID, (otherLabel.empty() ? "port 5" : "DO2") + std::string(" on device a1")}});

    CapturingAppender capture;
    std::unique_ptr<WendleEngine> engine;
    {
        CaughtStdout quiet;
        nlohmann::json section = {{"output", {{"label", outputLabel}, {"deviceid", "a1"}}}};
        for (const char* label : {"DI1", "DI2"}) {
            section["triggers"].push_back({{"type", "digital"},
                                           {"label", label},
                                           {"deviceid", "a1"},
                                           {"operation", "alarm"}});
        }
        engine = std::make_unique<WendleEngine>(section);
    }
    auto owned = std::make_unique<TruthService>(outputLabel, otherLabel);
    TruthService& service = *owned;
    engine->useService(std::move(owned));
    std::time_t now = 1796630400;  // 2026-12-07 UTC
    engine->useClock([&] { return now; });
    FailedWrites watcher;
    engine->useWatcher(&watcher);
    service.truth = {{OUTPUT_ID, chance(50) ? HIGH : LOW}, {OTHER_ID, chance(50) ? HIGH : LOW}};

    std::ostringstream story;
    std::size_t seen = capture.events().size();
    bool outputShown = false;
    for (int poll = 0; poll < POLLS; ++poll, now += 22) {
        if (outputShown && model.mustShow().empty() && chance(15)) {
            service.truth[OUTPUT_ID] = service.truth[OUTPUT_ID] == HIGH ? LOW : HIGH;
            model.movedOutside();
            story << " moved";
        }
        Plan plan;
        const std::set<unsigned int> must = model.mustShow();
        plan.answers = chance(85);
        plan.showsOutput = !outputShown || must.count(OUTPUT_ID) != 0 || chance(75);
        plan.other = must.count(OTHER_ID) != 0 || chance(35)
                         ? (chance(50) ? Plan::AFTER : Plan::BEFORE)
                         : Plan::NONE;
        if (unconfirmed) {
            plan.reported = Write::UNCONFIRMED;
            plan.takes = chance(80);
        } else {
            const int fate = std::uniform_int_distribution<int>(0, 9)(random);
            plan.reported = fate < 6   ? Write::APPLIED
                            : fate < 8 ? Write::REFUSED
                                       : Write::UNACKNOWLEDGED;
            plan.takes = plan.reported == Write::APPLIED ||
                         (plan.reported == Write::UNACKNOWLEDGED && chance(50));
        }
        service.plan = plan;
        for (bool& alarm : service.alarm) {
            alarm = chance(30) ? !alarm : alarm;
        }
        story << " | " << poll << (plan.answers ? "" : " unanswered")
              << (plan.showsOutput ? "" : " left-out") << " other=" << plan.other
              << " reported=" << static_cast<int>(plan.reported) << " takes=" << plan.takes;

        Lines expected;
        service.sent.reset();
        if (plan.answers) {
            outputShown = outputShown || plan.showsOutput;
            const std::vector<unsigned int> order =
                plan.other == Plan::BEFORE ? std::vector<unsigned int>{OTHER_ID, OUTPUT_ID}
                                           : std::vector<unsigned int>{OUTPUT_ID, OTHER_ID};
            for (unsigned int id : order) {
                if ((id == OUTPUT_ID && plan.showsOutput) ||
                    (id == OTHER_ID && plan.other != Plan::NONE)) {
                    model.shown(id, service.truth[id], expected);
                }
            }
        }
        engine->update_ports();
        if (service.sent) {
            const bool release = service.alarm[0] || service.alarm[1];
            model.wrote(*service.sent, plan.reported, sentence(release, service.alarm), now,
                        expected);
            const bool failed =
                plan.reported == Write::REFUSED || plan.reported == Write::UNACKNOWLEDGED;
            ASSERT_EQ(watcher.last, failed ? model.words[service.sent->portId] : "")
                << "seed " << seed << story.str();
        }
        ASSERT_EQ(toldSince(capture, seen), expected) << "seed " << seed << story.str();
    }
}

TEST(SwitchHistoryTest, TellsEveryKnowableChangeOnceAndNothingElse) {
    for (unsigned int seed = 1; seed <= SEEDS; ++seed) {
        runSeed(seed, false);
        runSeed(seed, true);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
}

}  // namespace

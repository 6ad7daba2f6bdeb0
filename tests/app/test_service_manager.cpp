// What the service manager hears: the watchdog's schedule and the status line.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "CapturingAppender.h"
#include "CaughtStdout.h"
#include "MemoryService.h"
#include "NotifyListener.h"
#include "ServiceManager.h"
#include "TempFolder.h"
#include "WendleEngine.h"

namespace {

using Messages = std::vector<std::string>;
using std::chrono::microseconds;
using std::chrono::seconds;
using Steady = std::chrono::steady_clock;
using nlohmann::json;

TEST(ServiceManagerTest, WatchdogPeriodFromTheEnvironment) {
    const struct {
        const char* usec;
        const char* pid;
        long long period;
    } cases[] = {
        {"60000000", nullptr, 60000000},
        {"60000000", "42", 60000000},
        {"60000000", "43", 0},
        {"60000000", "42x", 0},
        {nullptr, nullptr, 0},
        {"0", nullptr, 0},
        {"5s", nullptr, 0},
        {"99999999999999999999999", nullptr, 0},
        // The steady clock counts nanoseconds: the longest period it holds.
        {"9223372036854775", nullptr, 9223372036854775},
        {"9223372036854776", nullptr, 0},
        {"9223372036854775807", nullptr, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ServiceManager::watchdogPeriod(c.usec, c.pid, 42).count(), c.period)
            << (c.usec ? c.usec : "(unset)") << " pid " << (c.pid ? c.pid : "(unset)");
    }
}

class NotifiedManager : public ::testing::Test {
protected:
    TempFolder folder{"notify"};
    std::string address = folder.file("notify");
    NotifyListener listener{address};
    Steady::time_point now{};
    std::time_t wall = 0;

    std::unique_ptr<ServiceManager> manager(microseconds watchdog) {
        return std::make_unique<ServiceManager>(
            std::make_unique<NotifySocket>(address), watchdog, [this] { return now; },
            [this] { return wall; });
    }
};

TEST_F(NotifiedManager, PingsAtHalfThePeriodBeforeEachPollAndOnlyWithAWatchdog) {
    // Calls at whole seconds: a negative one is a poll about to begin.
    const struct {
        const char* name;
        microseconds watchdog;
        std::vector<int> calls;
        int pings;
    } cases[] = {
        {"the first at once, then every half period", seconds(4), {0, 1, 2, 3, 4, 5, 6}, 4},
        {"a gap longer than the period: the next call pings", seconds(4), {0, 30, 31, 32}, 3},
        {"a poll pings however recent the last ping", seconds(4), {0, -1, 2, 3, -3}, 4},
        {"no watchdog", microseconds(0), {0, -10, 20, 30}, 0},
    };
    for (const auto& c : cases) {
        auto watched = manager(c.watchdog);
        for (int call : c.calls) {
            now = Steady::time_point(seconds(call < 0 ? -call : call));
            if (call < 0) {
                watched->polling();
            } else {
                watched->alive();
            }
        }
        EXPECT_EQ(listener.received(), Messages(c.pings, "WATCHDOG=1")) << c.name;
    }
}

// An engine polling a memory service, watched by a manager.
class ManagerStatus : public NotifiedManager {
protected:
    CapturingAppender capture;
    std::unique_ptr<WendleEngine> engine;
    MemoryService* service = nullptr;  // lent: the engine owns it
    std::unique_ptr<ServiceManager> watcher = manager(microseconds(0));

    void build(const json& timelimits, const char* label = "DO1") {
        const json section = {
            {"output", {{"label", label}, {"deviceid", "a1"}}},
            {"triggers",
             {{{"type", "digital"}, {"label", "DI1"}, {"deviceid", "a1"}, {"operation", "alarm"}}}},
            {"timelimits", timelimits}};
        CaughtStdout quiet;
        engine = std::make_unique<WendleEngine>(section);
        auto memory = std::make_unique<MemoryService>();
        service = memory.get();
        engine->useService(std::move(memory));
        engine->useWatcher(watcher.get());
    }
    void inputs(cObject::eObjectStatus di1, const char* label = "DO1") {
        service->forgetAnswers();
        service->digitalInput("DI1", 0xa1, di1);
        service->digitalOutput(label, 0xa1, 1, cObject::IOSTATE_LOW, cObject::IOSTATE_LOW);
    }
};

// The end-to-end rows see the plain release, inhibit and refusal; here the
// texts they do not reach, each told once for two identical polls.
TEST_F(ManagerStatus, TellsTheOutputAndWhyOnceForEachChange) {
    build({{{"from", ""}, {"to", ""}, {"mustrun", "false"}}});
    inputs(cObject::STATUS_ALARM_SET);
    engine->update_ports();
    engine->update_ports();
    EXPECT_EQ(listener.received(),
              Messages{"STATUS=DO1 on device a1: LOW (inhibited) by cfg.timelimits[0]: forces "
                       "inhibit every day, all day; over cfg.triggers[0]: DI1 on device a1 in "
                       "alarm"});
}

TEST_F(ManagerStatus, CountsUnansweredPollsFromTheFirstOfTheRun) {
    ::setenv("TZ", "UTC0", 1);
    build(json::array());
    inputs(cObject::STATUS_ALARM_CLEAR);
    const std::string inhibited =
        "STATUS=DO1 on device a1: LOW (inhibited): no rule asks for release";
    const struct {
        bool answering;
        std::time_t at;
        Messages sent;
    } polls[] = {
        {true, 0, {inhibited}},
        {false,
         3 * 3600 + 12 * 60 + 44,
         {"STATUS=no answer from the object service since 03:12:44 (1 poll)"}},
        {false, 4 * 3600, {"STATUS=no answer from the object service since 03:12:44 (2 polls)"}},
        {true, 5 * 3600, {inhibited}},
        {true, 5 * 3600, {}},
        {false, 6 * 3600, {"STATUS=no answer from the object service since 06:00:00 (1 poll)"}},
    };
    for (const auto& poll : polls) {
        wall = poll.at;
        service->setAnswering(poll.answering);
        engine->update_ports();
        EXPECT_EQ(listener.received(), poll.sent) << "poll at " << poll.at;
    }
    ::unsetenv("TZ");
}

TEST_F(ManagerStatus, ALineBreakInALabelStaysInsideTheStatus) {
    build(json::array(), "DO1\nREADY=1");
    inputs(cObject::STATUS_ALARM_CLEAR, "DO1\nREADY=1");
    engine->update_ports();
    EXPECT_EQ(listener.received(),
              Messages{"STATUS=DO1\\nREADY=1 on device a1: LOW (inhibited): no rule asks for "
                       "release"});
}

}  // namespace

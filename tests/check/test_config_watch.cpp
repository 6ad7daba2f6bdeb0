// The watch as an integrator reads it: one block per poll that changed
// something, the client's reason once per change, nothing ever written, and
// a summary that counts switches against real changes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ConfigCheck.h"
#include "ConfigWatch.h"
#include "MemoryService.h"
#include "ObjectCodes.h"
#include "TempFolder.h"

namespace {

const char* const RULES = R"({"cfg": {
    "output": {"label": "DO1", "deviceid": "a1"},
    "triggers": [
        {"type": "digital", "label": "DI1", "deviceid": "a1", "operation": "alarm"},
        {"type": "analog", "label": "AI1", "deviceid": "a1", "operation": "gt", "value": "25"},
        {"type": "digital", "label": "DI9", "deviceid": "a1", "operation": "alarm"}],
    "timelimits": [{"days": [1], "from": "07:30", "to": "08:00", "mustrun": "true"}]}})";

// Monday 2026-12-07 07:29:00 UTC.
constexpr std::time_t MONDAY_0729 = 1796628540;

struct Poll {
    std::time_t at;
    bool answers;
    cObject::eObjectStatus di1;
    float ai1;
    std::optional<cObject::eObjectIOState> output;  // none: left out of the answer
    std::string shown;
};

TEST(ConfigWatchTest, ShowsEachChangeOnceAndNeverWrites) {
    ::setenv("TZ", "UTC", 1);
    TempFolder folder("config-watch");
    const std::string file = folder.file("rules.json");
    std::ofstream(file) << RULES;
    ConfigCheck check(file);
    ASSERT_TRUE(check.starts());
    auto owned = std::make_unique<MemoryService>();
    MemoryService& service = *owned;
    std::ostringstream out;
    ConfigWatch watch(check, std::move(owned), out);

    const auto LOW = object_codes::kLow;
    const auto HIGH = object_codes::kHigh;
    const auto CLEAR = object_codes::kAlarmClear;
    const auto ALARM = object_codes::kAlarmSet;
    const std::vector<Poll> polls{
        {MONDAY_0729, true, CLEAR, 21.5F, LOW,
         "Mon 2026-12-07 07:29:00\n"
         "  cfg.triggers[0]: DI1 on device a1 not in alarm: does not ask for release\n"
         "  cfg.triggers[1]: AI1 on device a1 at 21.5: does not ask for release\n"
         "  cfg.triggers[2]: DI9 on device a1: not answered: no such port (check label and "
         "device id)\n"
         "  cfg.timelimits[0]: forces release Mon 07:30\u201308:00:59: not active\n"
         "  decision: DO1 on device a1: LOW (inhibited): no rule asks for release\n"
         "  output: agrees with DO1 on device a1 (LOW)\n"},
        {MONDAY_0729 + 22, true, CLEAR, 21.5F, LOW, ""},
        {MONDAY_0729 + 44, true, CLEAR, 25.5F, LOW,
         "Mon 2026-12-07 07:29:44\n"
         "  cfg.triggers[1]: AI1 on device a1 at 25.5 (above 25): asks for release\n"
         "  decision: DO1 on device a1: HIGH (released) by cfg.triggers[1]: AI1 on device a1 "
         "at 25.5 (above 25)\n"
         "  output: would switch DO1 on device a1 from LOW to HIGH\n"},
        {MONDAY_0729 + 50, false, CLEAR, 0, LOW,
         "Mon 2026-12-07 07:29:50\n  cannot read from the object service\n"},
        {MONDAY_0729 + 52, false, CLEAR, 0, LOW, ""},
        {MONDAY_0729 + 54, true, CLEAR, 25.5F, HIGH,
         "Mon 2026-12-07 07:29:54\n"
         "  the object service answers again\n"
         "  decision: DO1 on device a1: HIGH (released) by cfg.triggers[1]: AI1 on device a1 "
         "at 25.5 (above 25)\n"
         "  output: agrees with DO1 on device a1 (HIGH)\n"},
        {MONDAY_0729 + 61, true, ALARM, 21.5F, std::nullopt,
         "Mon 2026-12-07 07:30:01\n"
         "  cfg.triggers[0]: DI1 on device a1 in alarm: asks for release\n"
         "  cfg.triggers[1]: AI1 on device a1 at 21.5: does not ask for release\n"
         "  cfg.timelimits[0]: forces release Mon 07:30\u201308:00:59: active\n"
         "  decision: DO1 on device a1: HIGH (released) by cfg.triggers[0]: DI1 on device a1 in "
         "alarm; cfg.timelimits[0]: forces release Mon 07:30\u201308:00:59\n"
         "  output: DO1 on device a1: not answered: no such port (check label and device id)\n"},
        {MONDAY_0729 + 83, true, CLEAR, 21.5F, LOW,
         "Mon 2026-12-07 07:30:23\n"
         "  cfg.triggers[0]: DI1 on device a1 not in alarm: does not ask for release\n"
         "  decision: DO1 on device a1: HIGH (released) by cfg.timelimits[0]: forces release Mon "
         "07:30\u201308:00:59\n"
         "  output: would switch DO1 on device a1 from LOW to HIGH\n"},
    };
    for (const Poll& poll : polls) {
        service.forgetAnswers();
        service.setAnswering(poll.answers);
        service.digitalInput("DI1", 0xa1, poll.di1);
        service.analogInput("AI1", 0xa1, poll.ai1);
        if (poll.output) {
            service.digitalOutput("DO1", 0xa1, 1, *poll.output, LOW);
        }
        out.str("");
        watch.poll(poll.at);
        EXPECT_EQ(out.str(), poll.shown) << "at " << poll.at - MONDAY_0729 << " s";
    }
    EXPECT_EQ(service.writes(), 0);

    out.str("");
    watch.summary(out);
    EXPECT_EQ(out.str(),
              "Watched 8 polls from Mon 2026-12-07 07:29:00 to Mon 2026-12-07 07:30:23, 2 failed\n"
              "The configuration would have switched DO1 on device a1 1 time:\n"
              "  Mon 2026-12-07 07:29:44 to HIGH\n"
              "DO1 on device a1 actually changed 2 times:\n"
              "  Mon 2026-12-07 07:29:54 to HIGH\n"
              "  Mon 2026-12-07 07:30:23 to LOW\n");
}

}  // namespace

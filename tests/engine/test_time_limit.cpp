#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "CaughtStdout.h"
#include "ErrorText.h"
#include "LocalTime.h"
#include "WendleEngine.h"

namespace {

using nlohmann::json;
using TimeLimit = WendleEngine::TimeLimit;

constexpr int SUNDAY = 0;
constexpr int MONDAY = 1;
constexpr int SATURDAY = 6;

// Builds a time limit, keeping its trace out of the test output.
TimeLimit quiet(const json& entry) {
    CaughtStdout quiet;
    return TimeLimit(entry);
}

json window(const char* from, const char* to, json days = nullptr) {
    return {{"from", from}, {"to", to}, {"days", days}};
}

std::tm at(int weekday, int hour, int minute, int second) {
    std::tm now{};
    now.tm_wday = weekday;
    now.tm_hour = hour;
    now.tm_min = minute;
    now.tm_sec = second;
    return now;
}

int currentWeekday() {
    const std::time_t seconds = std::time(nullptr);
    std::tm now{};
    localtime_r(&seconds, &now);
    return now.tm_wday;
}

// The trace, or the error and the trace written before it. W in a trace
// stands for the current weekday.
TEST(TimeLimitTest, ConstructionTraceAndErrors) {
    const std::string error302 = "[json.exception.type_error.302] type must be ";
    const struct {
        json entry;
        std::string trace;
        std::string error;
    } cases[] = {
        {window("07:30", "17:00", {1, 2.9, true}),
         "Day 1\nDay 2.9\nDay true\n Day of week: W\nStart: 7-30:-1\nStop: 17-0:-1\n", ""},
        {window("", "", 3), "Day 3\n Day of week: W\nStart: 0-0:-0\nStop: 0-0:-0\n", ""},
        {window("-1:00", ""), " Day of week: W\nStart: 4294967295-0:-1\nStop: 0-0:-0\n", ""},
        {window("", "", {1, "2"}), "Day 1\nDay \"2\"\n", error302 + "number, but is string"},
        {{{"to", ""}}, " Day of week: W\n", error302 + "string, but is null"},
        {{{"from", ""}, {"to", false}}, " Day of week: W\n", error302 + "string, but is boolean"},
        {window("ab:00", ""), " Day of week: W\n", "invalid_argument: stoi"},
        {window("7:", ""), " Day of week: W\n", "invalid_argument: stoi"},
        {window("", "99999999999:00"), " Day of week: W\n", "out_of_range: stoi"},
    };
    for (const auto& c : cases) {
        const int before = currentWeekday();
        CaughtStdout caught;
        const std::string error = errorText([&] { TimeLimit limit(c.entry); });
        const std::string out = caught.text();
        const int after = currentWeekday();
        EXPECT_EQ(error, c.error) << c.entry.dump();
        if (before != after) {
            GTEST_SKIP() << "the day changed during the test";
        }
        std::string expected = c.trace;
        const std::string::size_type weekday = expected.find('W');
        if (weekday != std::string::npos) {
            expected[weekday] = static_cast<char>('0' + before);
        }
        EXPECT_EQ(out, expected) << c.entry.dump();
    }
}

TEST(TimeLimitTest, DaysInEachForm) {
    const std::pair<json, std::vector<int>> cases[] = {
        {nullptr, {}},
        {json::array(), {}},
        {3, {3}},
        {{true}, {1}},
        {{2.9, 2, 2}, {2, 2, 2}},
        {{{"b", 5}, {"a", 4}}, {4, 5}},  // member values in key order
    };
    for (const auto& [days, expected] : cases) {
        EXPECT_EQ(quiet(window("", "", days)).days, expected) << days.dump();
    }
    EXPECT_TRUE(quiet({{"from", ""}, {"to", ""}}).days.empty());
}

TEST(TimeLimitTest, BoundText) {
    const struct {
        const char* text;
        uint32_t hour, minute;
        bool has;
    } cases[] = {
        {"07:30", 7, 30, true}, {"7", 7, 7, true}, {"07:30:59", 7, 30, true},
        {" 8: 05", 8, 5, true}, {"", 0, 0, false},
    };
    for (const auto& c : cases) {
        const TimeLimit from = quiet(window(c.text, ""));
        const TimeLimit to = quiet(window("", c.text));
        EXPECT_EQ(std::make_tuple(from.startHour, from.startMinute, from.hasStart),
                  std::make_tuple(c.hour, c.minute, c.has))
            << '"' << c.text << '"';
        EXPECT_EQ(std::make_tuple(to.stopHour, to.stopMinute, to.hasStop),
                  std::make_tuple(c.hour, c.minute, c.has))
            << '"' << c.text << '"';
    }
}

TEST(TimeLimitTest, InRangeAtBoundaries) {
    const struct {
        json entry;
        std::vector<std::pair<std::tm, bool>> times;
    } cases[] = {
        {window("08:00", "17:00"),
         {{at(MONDAY, 7, 59, 59), false},
          {at(MONDAY, 8, 0, 0), true},
          {at(MONDAY, 17, 0, 59), true},
          {at(MONDAY, 17, 1, 0), false}}},
        {window("08:00", ""), {{at(SUNDAY, 7, 59, 59), false}, {at(SUNDAY, 23, 59, 59), true}}},
        {window("", "06:00"), {{at(SUNDAY, 0, 0, 0), true}, {at(SUNDAY, 6, 1, 0), false}}},
        {window("", "25:00"), {{at(SATURDAY, 23, 59, 0), true}}},
        {window("", "", {1, 5}),
         {{at(SUNDAY, 12, 0, 0), false}, {at(MONDAY, 12, 0, 0), true}, {at(5, 0, 0, 0), true}}},
    };
    for (const auto& c : cases) {
        const TimeLimit limit = quiet(c.entry);
        for (const auto& [now, expected] : c.times) {
            EXPECT_EQ(limit.isInRange(now), expected)
                << c.entry.dump() << " day " << now.tm_wday << " " << now.tm_hour << ":"
                << now.tm_min << ":" << now.tm_sec;
        }
    }
}

TEST(TimeLimitTest, WindowsThatCannotMatch) {
    for (const json& entry : {window("22:00", "06:00"), window("08:00", "07:59"),
                              window("", "", {7}), window("25:00", ""), window("-1:00", "")}) {
        const TimeLimit limit = quiet(entry);
        for (int day = SUNDAY; day <= SATURDAY; ++day) {
            for (int hour = 0; hour < 24; ++hour) {
                EXPECT_FALSE(limit.isInRange(at(day, hour, 0, 0))) << entry.dump();
                EXPECT_FALSE(limit.isInRange(at(day, hour, 59, 59))) << entry.dump();
            }
        }
    }
}

// The process's zone for one scope; the one before comes back after it.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone) {
        const char* before = std::getenv("TZ");
        if (before != nullptr) {
            saved = before;
            hadZone = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        if (hadZone) {
            setenv("TZ", saved.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

private:
    std::string saved;
    bool hadZone = false;
};

std::string text(const std::tm& local) {
    char out[64];
    return std::string(out, std::strftime(out, sizeof out, "%Y-%m-%d %a %H:%M:%S %Z", &local));
}

// Instants on both sides of the signed 32-bit end (2038-01-19 03:14:07 UTC)
// and of the unsigned one (2106-02-07 06:28:15 UTC), with the zone's
// daylight saving time, which past 2037 comes from the zone's rule. Each is
// converted as the service converts its clock; of the windows of one minute,
// only the one on the expected weekday and minute may hold it.
TEST(TimeLimitTest, WindowsPast2038) {
    const struct {
        const char* zone;
        std::time_t instant;
        const char* local;  // "%Y-%m-%d %a %H:%M:%S %Z"
    } cases[] = {
        {"UTC", 1796630340, "2026-12-07 Mon 07:59:00 UTC"},
        {"UTC", 2147483647, "2038-01-19 Tue 03:14:07 UTC"},
        {"UTC", 2147483648, "2038-01-19 Tue 03:14:08 UTC"},
        {"UTC", 2208988800, "2040-01-01 Sun 00:00:00 UTC"},
        {"UTC", 4294967295, "2106-02-07 Sun 06:28:15 UTC"},
        {"UTC", 4294967296, "2106-02-07 Sun 06:28:16 UTC"},
        {"Europe/Berlin", 2147483647, "2038-01-19 Tue 04:14:07 CET"},
        {"Europe/Berlin", 2147483648, "2038-01-19 Tue 04:14:08 CET"},
        {"Europe/Berlin", 2216249999, "2040-03-25 Sun 01:59:59 CET"},
        {"Europe/Berlin", 2216250000, "2040-03-25 Sun 03:00:00 CEST"},
        {"Europe/Berlin", 2234998799, "2040-10-28 Sun 02:59:59 CEST"},
        {"Europe/Berlin", 2234998800, "2040-10-28 Sun 02:00:00 CET"},
        {"Europe/Berlin", 4294967296, "2106-02-07 Sun 07:28:16 CET"},
        {"Europe/Berlin", 4310519296, "2106-08-06 Fri 08:28:16 CEST"},
    };
    const std::string weekdays = "SunMonTueWedThuFriSat";
    for (const auto& c : cases) {
        const ZoneScope zone(c.zone);
        const std::tm local = LocalTime::of(c.instant);
        // Without the zone's data glibc would quietly take UTC.
        EXPECT_EQ(text(local), c.local) << c.zone << " " << c.instant << " (zone data installed?)";

        const std::string expected = c.local;
        const int weekday = static_cast<int>(weekdays.find(expected.substr(11, 3)) / 3);
        const std::string minute = expected.substr(15, 5);
        std::string otherHour = minute;  // the same minute, another hour
        otherHour[0] = otherHour[0] == '0' ? '1' : '0';
        json otherDays = json::array();
        for (int day = SUNDAY; day <= SATURDAY; ++day) {
            if (day != weekday) {
                otherDays.push_back(day);
            }
        }
        const auto holds = [&](const std::string& bound, json days) {
            return quiet(window(bound.c_str(), bound.c_str(), std::move(days))).isInRange(local);
        };
        EXPECT_TRUE(holds(minute, {weekday})) << c.local;
        EXPECT_FALSE(holds(minute, otherDays)) << c.local;
        EXPECT_FALSE(holds(otherHour, {weekday})) << c.local;
    }
}

// Each reading follows the zone TZ names at that moment, as localtime does,
// with no tzset of the caller's in between: the service's zone is set or
// changed while it runs. The instant is 2026-12-07 08:10:00 UTC.
TEST(TimeLimitTest, LocalTimeFollowsAChangedZone) {
    const std::time_t instant = 1796631000;
    const struct {
        const char* zone;
        const char* local;
    } steps[] = {
        {"UTC", "2026-12-07 Mon 08:10:00 UTC"},
        {"Asia/Tokyo", "2026-12-07 Mon 17:10:00 JST"},
        {"America/New_York", "2026-12-07 Mon 03:10:00 EST"},
        {"UTC", "2026-12-07 Mon 08:10:00 UTC"},
    };
    const ZoneScope restored("UTC");
    for (const auto& step : steps) {
        setenv("TZ", step.zone, 1);
        EXPECT_EQ(text(LocalTime::of(instant)), step.local) << step.zone;
    }
}

TEST(TimeLimitTest, ClockPath) {
    EXPECT_TRUE(quiet(window("", "")).isInRange());
    EXPECT_FALSE(quiet(window("", "", {7})).isInRange());
}

}  // namespace

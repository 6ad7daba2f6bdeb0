#include "RuleWords.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

#include "ObjectCodes.h"
#include "PortLabel.h"

namespace {

constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr int kDaysInWeek = WendleEngine::TimeLimit::DAYS_IN_WEEK;
constexpr const char* kDash = "\u2013";  // en dash

// "07:30"; a bound stored from a negative text prints as the huge number it is.
std::string clock(const std::pair<uint32_t, uint32_t>& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u", static_cast<unsigned>(time.first),
                  static_cast<unsigned>(time.second));
    return text;
}

}  // namespace

std::string RuleWords::dayName(int day) {
    if (day < 0 || day >= kDaysInWeek) {
        return "day " + std::to_string(day);
    }
    return kDayNames[day];
}

const char* RuleWords::alarm(cObject::eObjectStatus status, const char* otherwise) {
    return status == object_codes::kAlarmSet     ? "in alarm"
           : status == object_codes::kAlarmClear ? "not in alarm"
                                                 : otherwise;
}

const char* RuleWords::ioState(cObject::eObjectIOState state) {
    return state == object_codes::kHigh ? "HIGH" : state == object_codes::kLow ? "LOW" : "none";
}

std::string RuleWords::device(unsigned int serial) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", serial);
    return text;
}

std::string RuleWords::port(cObjectPort& port) {
    return std::string(PortLabel::of(port)) + " on device " + device(port.getDeviceSerial());
}

std::string RuleWords::output(WendleEngine::OutputPort& output) {
    return "drives " + port(output);
}

std::string RuleWords::level(float value) {
    // The fewest digits that read back as the same float; plain decimals
    // where a person writes them ("60", not "6e+01").
    const double magnitude = std::fabs(static_cast<double>(value));
    const bool plain = magnitude == 0.0 || (magnitude >= 1e-4 && magnitude < 1e15);
    char text[64];
    for (int digits = 0; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, plain ? "%.*f" : "%.*g", plain ? digits : digits + 1,
                      static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) {
            return text;
        }
    }
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string RuleWords::built(const WendleEngine::BuildRecord& record) {
    using Digital = WendleEngine::DigitalTrigger;
    using Analog = WendleEngine::AnalogTrigger;
    if (record.kind == WendleEngine::BuildRecord::Kind::WINDOW) {
        return window(*record.window, record.mustrun);
    }
    // The conditions, by the operation codes the engine indexes its words with.
    static const char* const kDigital[] = {" is in alarm", " reports no alarm"};
    static const char* const kAnalog[] = {" is above ", " is below "};
    const std::string watched = port(*record.port);
    if (record.kind == WendleEngine::BuildRecord::Kind::DIGITAL) {
        if (record.digital().operation != Digital::OPERATION_NONE) {
            return "releases while " + watched + kDigital[record.digital().operation];
        }
    } else if (record.analog().operation != Analog::OPERATION_NONE) {
        return "releases while " + watched + kAnalog[record.analog().operation] +
               level(record.analog().level);
    }
    return "never releases (watches " + watched + " with no known operation)";
}

std::string RuleWords::reading(WendleEngine::DigitalTrigger& trigger) {
    return port(trigger) + " " + alarm(trigger.getPortStatus(), "not reported");
}

std::string RuleWords::reading(WendleEngine::AnalogTrigger& trigger) {
    return port(trigger) + " at " + level(trigger.getCalculatedValue());
}

std::string RuleWords::asking(WendleEngine::AnalogTrigger& trigger) {
    static const char* const kPassed[] = {" (above ", " (below "};
    return reading(trigger) + kPassed[trigger.operation] + level(trigger.level) + ")";
}

std::string RuleWords::days(const std::vector<int>& days) {
    std::set<int> week;
    for (int day : days) {
        if (day >= 0 && day < kDaysInWeek) {
            week.insert(day);
        }
    }
    if (days.empty() || static_cast<int>(week.size()) == kDaysInWeek) {
        return "every day";
    }
    if (week.empty()) {
        return "no day";
    }
    // Runs of three or more days read as a range.
    std::string text;
    for (int day = 0; day < kDaysInWeek; ++day) {
        if (week.count(day) == 0) {
            continue;
        }
        int last = day;
        while (last + 1 < kDaysInWeek && week.count(last + 1) != 0) {
            ++last;
        }
        text += (text.empty() ? "" : ", ") + std::string(kDayNames[day]);
        if (last > day) {
            text += (last - day >= 2 ? kDash : ", ") + std::string(kDayNames[last]);
        }
        day = last;
    }
    return text;
}

std::string RuleWords::window(const WendleEngine::TimeLimit& limit, bool mustrun) {
    const std::string verb = mustrun ? "forces release " : "forces inhibit ";
    const std::string when = days(limit.days);
    using Time = std::pair<uint32_t, uint32_t>;  // hour, minute
    const Time start = limit.hasStart ? Time{limit.startHour, limit.startMinute} : Time{0, 0};
    const Time stop = limit.hasStop ? Time{limit.stopHour, limit.stopMinute} : Time{23, 59};
    if (when == "no day") {
        return verb + "on no day: it never applies";
    }
    if (stop < start) {
        return verb + when + " never: it stops at " + clock(stop) + ", before it starts at " +
               clock(start);
    }
    if (!limit.hasStart && !limit.hasStop) {
        return verb + when + ", all day";
    }
    // Both bounds include their whole minute.
    return verb + when + " " + clock(start) + kDash + clock(stop) + ":59";
}

#include "RuleWords.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "ObjectCodes.h"

namespace {

constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr int kDaysInWeek = WendleEngine::TimeLimit::DAYS_IN_WEEK;
constexpr const char* kDash = "\u2013";  // en dash

std::string twoDigits(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u", static_cast<unsigned>(value));
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
    switch (state) {
        case object_codes::kHigh:
            return "HIGH";
        case object_codes::kLow:
            return "LOW";
        default:
            return "none";
    }
}

std::string RuleWords::device(unsigned int serial) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", serial);
    return text;
}

std::string RuleWords::port(cObjectPort& port) {
    return std::string(port.getPortLabel()) + " on device " + device(port.getDeviceSerial());
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
        if (plain) {
            std::snprintf(text, sizeof text, "%.*f", digits, static_cast<double>(value));
        } else {
            std::snprintf(text, sizeof text, "%.*g", digits + 1, static_cast<double>(value));
        }
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
    switch (record.kind) {
        case WendleEngine::BuildRecord::Kind::WINDOW:
            return window(*record.window, record.mustrun);
        case WendleEngine::BuildRecord::Kind::DIGITAL:
            switch (record.digital().operation) {
                case Digital::OPERATION_ALARM:
                    return "releases while " + port(*record.port) + " is in alarm";
                case Digital::OPERATION_NOALARM:
                    return "releases while " + port(*record.port) + " reports no alarm";
            }
            break;
        default:
            switch (record.analog().operation) {
                case Analog::OPERATION_GT:
                    return "releases while " + port(*record.port) + " is above " +
                           level(record.analog().level);
                case Analog::OPERATION_LT:
                    return "releases while " + port(*record.port) + " is below " +
                           level(record.analog().level);
            }
    }
    return "never releases (watches " + port(*record.port) + " with no known operation)";
}

std::string RuleWords::days(const std::vector<int>& days) {
    if (days.empty()) {
        return "every day";
    }
    std::set<int> week;
    for (int day : days) {
        if (day >= 0 && day < kDaysInWeek) {
            week.insert(day);
        }
    }
    if (week.empty()) {
        return "no day";
    }
    if (static_cast<int>(week.size()) == kDaysInWeek) {
        return "every day";
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
        if (!text.empty()) {
            text += ", ";
        }
        if (last - day >= 2) {
            text += std::string(kDayNames[day]) + kDash + kDayNames[last];
        } else {
            text += kDayNames[day];
            if (last > day) {
                text += std::string(", ") + kDayNames[last];
            }
        }
        day = last;
    }
    return text;
}

std::string RuleWords::window(const WendleEngine::TimeLimit& limit, bool mustrun) {
    const std::string verb = mustrun ? "forces release " : "forces inhibit ";
    const std::string when = days(limit.days);
    const uint32_t startHour = limit.hasStart ? limit.startHour : 0;
    const uint32_t startMinute = limit.hasStart ? limit.startMinute : 0;
    const uint32_t stopHour = limit.hasStop ? limit.stopHour : 23;
    const uint32_t stopMinute = limit.hasStop ? limit.stopMinute : 59;
    if (when == "no day") {
        return verb + "on no day: it never applies";
    }
    if (stopHour < startHour || (stopHour == startHour && stopMinute < startMinute)) {
        return verb + when + " never: it stops at " + twoDigits(stopHour) + ":" +
               twoDigits(stopMinute) + ", before it starts at " + twoDigits(startHour) + ":" +
               twoDigits(startMinute);
    }
    if (!limit.hasStart && !limit.hasStop) {
        return verb + when + ", all day";
    }
    // Both bounds include their whole minute.
    return verb + when + " " + twoDigits(startHour) + ":" + twoDigits(startMinute) + kDash +
           twoDigits(stopHour) + ":" + twoDigits(stopMinute) + ":59";
}

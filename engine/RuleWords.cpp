#include "RuleWords.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "ObjectCodes.h"
#include "PortLabel.h"
#include "cPeerText.h"

namespace {

constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr int kDaysInWeek = RuleWords::DAYS_IN_WEEK;

}  // namespace

std::string RuleWords::clock(unsigned int hour, unsigned int minute) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u", hour, minute);
    return text;
}

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

// Labels come from a file or a peer: escaped and bounded, as in every log line.
std::string RuleWords::port(cObjectPort& port) {
    return cPeerText::bounded(PortLabel::of(port)) + " on device " + device(port.getDeviceSerial());
}

std::string RuleWords::port(const std::string& label, unsigned int portId, unsigned int serial) {
    return (label.empty() ? "port " + std::to_string(portId) : cPeerText::bounded(label)) +
           " on device " + device(serial);
}

std::string RuleWords::releasesWhile(cObjectPort& port, const std::string& condition) {
    if (condition.empty()) {
        return "never releases (watches " + RuleWords::port(port) + " with no known operation)";
    }
    return "releases while " + RuleWords::port(port) + condition;
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
            text += (last - day >= 2 ? DASH : ", ") + std::string(kDayNames[last]);
        }
        day = last;
    }
    return text;
}

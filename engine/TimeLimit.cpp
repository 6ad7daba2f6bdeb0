#include <algorithm>
#include <string>
#include <utility>

#include "ConstructionTrace.h"
#include "LocalTime.h"
#include "RuleText.h"
#include "RuleWords.h"
#include "WendleEngine.h"

WendleEngine::TimeLimit::TimeLimit(nlohmann::json entry)
    : TimeLimit(RuleText::read(entry, RuleText::limitKeys())) {}

WendleEngine::TimeLimit::TimeLimit(const RuleText::Fields& fields)
    : RuleText::Window(fields.window) {
    std::ostream& trace = ConstructionTrace::out();
    trace << "Start: " << startHour << "-" << startMinute << ":-" << hasStart << std::endl;
    trace << "Stop: " << stopHour << "-" << stopMinute << ":-" << hasStop << std::endl;
}

bool WendleEngine::TimeLimit::isInRange() const {
    return isInRange(LocalTime::now());
}

// Start and stop are tested independently (no wrap past midnight), so a
// window whose stop lies before its start never matches. Comparisons are
// unsigned: a bound stored from a negative text is a huge number.
bool WendleEngine::TimeLimit::isInRange(const std::tm& now) const {
    if (!days.empty() && std::find(days.begin(), days.end(), now.tm_wday) == days.end()) {
        return false;
    }

    const auto hour = static_cast<uint32_t>(now.tm_hour);
    const auto minute = static_cast<uint32_t>(now.tm_min);

    if (hasStart && (hour < startHour || (hour == startHour && minute < startMinute))) {
        return false;
    }
    if (!hasStop) {
        return true;
    }
    if (hour != stopHour) {
        return hour < stopHour;
    }
    return minute <= stopMinute;
}

std::string WendleEngine::TimeLimit::words(bool mustrun) const {
    const std::string verb = mustrun ? "forces release " : "forces inhibit ";
    const std::string when = RuleWords::days(days);
    using Time = std::pair<uint32_t, uint32_t>;  // hour, minute
    const Time start = hasStart ? Time{startHour, startMinute} : Time{0, 0};
    const Time stop = hasStop ? Time{stopHour, stopMinute} : Time{23, 59};
    if (when == "no day") {
        return verb + "on no day: it never applies";
    }
    if (stop < start) {
        return verb + when + " never: it stops at " + RuleWords::clock(stop.first, stop.second) +
               ", before it starts at " + RuleWords::clock(start.first, start.second);
    }
    if (!hasStart && !hasStop) {
        return verb + when + ", all day";
    }
    // Both bounds include their whole minute.
    return verb + when + " " + RuleWords::clock(start.first, start.second) + RuleWords::DASH +
           RuleWords::clock(stop.first, stop.second) + ":59";
}

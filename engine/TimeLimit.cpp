#include <algorithm>
#include <string>

#include "ConstructionTrace.h"
#include "LocalTime.h"
#include "RuleText.h"
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

#include <algorithm>
#include <iostream>
#include <string>

#include "LocalTime.h"
#include "RuleText.h"
#include "WendleEngine.h"

namespace {

// Reads one bound ("from" or "to"). The empty text means no bound and
// leaves hour and minute at 0. Without a colon the whole text is both the
// hour and the minute text.
void parseBound(const nlohmann::json& value, uint32_t& hour, uint32_t& minute, bool& hasBound) {
    const std::string text = value.get<std::string>();
    if (text.empty()) {
        hasBound = false;
        return;
    }
    const std::string::size_type colon = text.find(':');
    const std::string hourText = (colon == std::string::npos) ? text : text.substr(0, colon);
    const std::string minuteText = (colon == std::string::npos) ? text : text.substr(colon + 1);
    hour = RuleText::toClockField(hourText);
    minute = RuleText::toClockField(minuteText);
    hasBound = true;
}

}  // namespace

WendleEngine::TimeLimit::TimeLimit(nlohmann::json entry) {
    // Iterating a JSON value: an array's elements, an object's member values,
    // nothing for null, and any other value once.
    for (const nlohmann::json& element : entry["days"]) {
        std::cout << "Day " << element.dump() << std::endl;
        days.push_back(RuleText::toDay(element));
    }

    const std::tm now = LocalTime::now();
    std::cout << " Day of week: " << now.tm_wday << std::endl;

    parseBound(entry["from"], startHour, startMinute, hasStart);
    parseBound(entry["to"], stopHour, stopMinute, hasStop);

    std::cout << "Start: " << startHour << "-" << startMinute << ":-" << hasStart << std::endl;
    std::cout << "Stop: " << stopHour << "-" << stopMinute << ":-" << hasStop << std::endl;
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

#include <string>

#include "RuleText.h"
#include "WendleEngine.h"

WendleEngine::DigitalTrigger::DigitalTrigger(nlohmann::json entry) {
    RuleText::namePort(*this, entry);
    // JSON equality: exact and case-sensitive, and no match for a non-string.
    if (entry["operation"] == "alarm") {
        operation = OPERATION_ALARM;
    }
    if (entry["operation"] == "noalarm") {
        operation = OPERATION_NOALARM;
    }
}

WendleEngine::DigitalTrigger::~DigitalTrigger() = default;

bool WendleEngine::DigitalTrigger::shouldRelease() const {
    switch (operation) {
        case OPERATION_ALARM:
            return getPortStatus() == STATUS_ALARM_SET;
        case OPERATION_NOALARM:
            return getPortStatus() == STATUS_ALARM_CLEAR;
        default:
            return false;
    }
}

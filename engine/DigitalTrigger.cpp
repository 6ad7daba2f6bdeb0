#include <string>

#include "ObjectCodes.h"
#include "RuleText.h"
#include "WendleEngine.h"

WendleEngine::DigitalTrigger::DigitalTrigger(nlohmann::json entry) {
    RuleText::read(entry, RuleText::portKeys(), this);
    // JSON equality: exact and case-sensitive, and no match for a non-string.
    if (entry["operation"] == "alarm") {
        operation = OPERATION_ALARM;
    }
    if (entry["operation"] == "noalarm") {
        operation = OPERATION_NOALARM;
    }
}

WendleEngine::DigitalTrigger::~DigitalTrigger() = default;

bool WendleEngine::DigitalTrigger::shouldRelease() {
    switch (operation) {
        case OPERATION_ALARM:
            return getPortStatus() == object_codes::kAlarmSet;
        case OPERATION_NOALARM:
            return getPortStatus() == object_codes::kAlarmClear;
        default:
            return false;
    }
}

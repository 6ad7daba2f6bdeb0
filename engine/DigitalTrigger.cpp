#include <string>

#include "ObjectCodes.h"
#include "RuleText.h"
#include "RuleWords.h"
#include "WendleEngine.h"

WendleEngine::DigitalTrigger::DigitalTrigger(nlohmann::json entry) {
    RuleText::read(entry, RuleText::portKeys(), this);
    // JSON equality: exact and case-sensitive, and no match for a non-string.
    for (const int32_t code : {OPERATION_ALARM, OPERATION_NOALARM}) {
        if (entry[RuleText::OPERATION] == OPERATIONS[code]) {
            operation = code;
        }
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

std::string WendleEngine::DigitalTrigger::condition() {
    static const char* const kWords[] = {" is in alarm", " reports no alarm"};
    return RuleWords::releasesWhile(*this, operation == OPERATION_NONE ? "" : kWords[operation]);
}

std::string WendleEngine::DigitalTrigger::reading() {
    return RuleWords::port(*this) + " " + RuleWords::alarm(getPortStatus(), "not reported");
}

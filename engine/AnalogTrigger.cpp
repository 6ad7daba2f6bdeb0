#include <string>

#include "ConstructionTrace.h"
#include "RuleText.h"
#include "RuleWords.h"
#include "WendleEngine.h"

WendleEngine::AnalogTrigger::AnalogTrigger(nlohmann::json entry) {
    const RuleText::Fields fields = RuleText::read(entry, RuleText::analogKeys(), this);
    // JSON equality: exact and case-sensitive, and no match for a non-string.
    for (const int32_t code : {OPERATION_GT, OPERATION_LT}) {
        if (entry[RuleText::OPERATION] == OPERATIONS[code]) {
            operation = code;
        }
    }
    level = fields.level;
    ConstructionTrace::out() << "Level set to '" << level << "' " << std::endl;
}

WendleEngine::AnalogTrigger::~AnalogTrigger() = default;

// Ordered comparisons: a value equal to the level, or nan on either side,
// never releases.
bool WendleEngine::AnalogTrigger::shouldRelease() {
    switch (operation) {
        case OPERATION_GT:
            return getCalculatedValue() > level;
        case OPERATION_LT:
            return getCalculatedValue() < level;
        default:
            return false;
    }
}

std::string WendleEngine::AnalogTrigger::condition() {
    static const char* const kWords[] = {" is above ", " is below "};
    return RuleWords::releasesWhile(
        *this, operation == OPERATION_NONE ? "" : kWords[operation] + RuleWords::level(level));
}

std::string WendleEngine::AnalogTrigger::reading() {
    return RuleWords::port(*this) + " at " + RuleWords::level(getCalculatedValue());
}

std::string WendleEngine::AnalogTrigger::asking() {
    static const char* const kPassed[] = {" (above ", " (below "};
    return reading() + kPassed[operation] + RuleWords::level(level) + ")";
}

#include <string>

#include "ObjectCodes.h"
#include "RuleText.h"
#include "WendleEngine.h"

WendleEngine::OutputPort::~OutputPort() = default;

void WendleEngine::OutputPort::parse(nlohmann::json output) {
    if (output.is_null()) {
        return;
    }
    RuleText::read(output, RuleText::portKeys(), this);
}

// Each branch reads the default state afresh; a state other than high or
// low leaves the output state as the last poll copied it in.
void WendleEngine::OutputPort::Inhibit() {
    if (getDefaultState() == object_codes::kHigh) {
        setOutputState(object_codes::kHigh);
    }
    if (getDefaultState() == object_codes::kLow) {
        setOutputState(object_codes::kLow);
    }
}

void WendleEngine::OutputPort::Release() {
    if (getDefaultState() == object_codes::kHigh) {
        setOutputState(object_codes::kLow);
    }
    if (getDefaultState() == object_codes::kLow) {
        setOutputState(object_codes::kHigh);
    }
}

#include <string>

#include "RuleText.h"
#include "WendleEngine.h"

WendleEngine::OutputPort::~OutputPort() = default;

void WendleEngine::OutputPort::parse(nlohmann::json output) {
    if (output.is_null()) {
        return;
    }
    RuleText::namePort(*this, output);
}

// Each branch reads the default state afresh; a state other than high or
// low leaves the output state as the last poll copied it in.
void WendleEngine::OutputPort::Inhibit() {
    if (getDefaultState() == IOSTATE_HIGH) {
        setOutputState(IOSTATE_HIGH);
    }
    if (getDefaultState() == IOSTATE_LOW) {
        setOutputState(IOSTATE_LOW);
    }
}

void WendleEngine::OutputPort::Release() {
    if (getDefaultState() == IOSTATE_HIGH) {
        setOutputState(IOSTATE_LOW);
    }
    if (getDefaultState() == IOSTATE_LOW) {
        setOutputState(IOSTATE_HIGH);
    }
}

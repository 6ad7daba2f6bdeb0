#include "SimulatedAnalogInput.h"

#include <nlohmann/json.hpp>

SimulatedAnalogInput::SimulatedAnalogInput() = default;

SimulatedAnalogInput::SimulatedAnalogInput(const cObjectAInput& input)
    : cObjectAInput(input), reading(input.getCalculatedValue()) {}

SimulatedAnalogInput::~SimulatedAnalogInput() = default;

void SimulatedAnalogInput::setReading(double value) {
    reading = value;
    setCalculatedValue(toSinglePrecision(value));
}

void SimulatedAnalogInput::encode(nlohmann::json& out) const {
    cObjectAInput::encode(out);
    out["value"] = reading;
}

cObject* SimulatedAnalogInput::clone() const {
    return new SimulatedAnalogInput(*this);
}

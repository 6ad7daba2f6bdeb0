#include "cObjectAInput.h"

#include <cfloat>
#include <limits>
#include <stdexcept>

#include <nlohmann/json.hpp>

cObjectAInput::cObjectAInput() : cObjectPort(TYPE_ANALOG_INPUT) {}

cObjectAInput::~cObjectAInput() = default;

void cObjectAInput::encode(nlohmann::json& out) const {
    cObjectPort::encode(out);
    out["value"] = calculatedValue;
}

void cObjectAInput::decode(nlohmann::json& in) {
    cObjectPort::decode(in);
    const nlohmann::json& value = in.at("value");
    if (!value.is_number()) {
        // get<float> would take a boolean as 0 or 1.
        throw std::out_of_range("member 'value' is not a number");
    }
    calculatedValue = toSinglePrecision(value.get<double>());
}

float cObjectAInput::toSinglePrecision(double reading) {
    // Casting a double beyond the float range is undefined behaviour.
    if (reading > FLT_MAX) {
        return std::numeric_limits<float>::infinity();
    }
    if (reading < -FLT_MAX) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(reading);
}

cObject* cObjectAInput::clone() const {
    return new cObjectAInput(*this);
}

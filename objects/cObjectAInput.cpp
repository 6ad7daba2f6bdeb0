#include "cObjectAInput.h"

#include <cfloat>
#include <cmath>
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
    // Casting a double beyond the float range is undefined behaviour, so the
    // top of the range is rounded here, to nearest as strtof does: short of
    // half an ulp above FLT_MAX is FLT_MAX (3.4028235e38, the usual spelling
    // of the largest float, lies a little above it), from there on infinity.
    const float sign = std::signbit(reading) ? -1.0F : 1.0F;
    const double magnitude = std::fabs(reading);
    if (magnitude >= ROUNDS_TO_INFINITY) {
        return sign * std::numeric_limits<float>::infinity();
    }
    if (magnitude > FLT_MAX) {
        return sign * FLT_MAX;
    }
    return static_cast<float>(reading);
}

cObject* cObjectAInput::clone() const {
    return new cObjectAInput(*this);
}

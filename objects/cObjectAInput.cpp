#include "cObjectAInput.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

cObjectAInput::cObjectAInput() : cObjectPort(TYPE_ANALOG_INPUT) {}

cObjectAInput::~cObjectAInput() = default;

void cObjectAInput::encode(nlohmann::json& out) const {
    cObjectPort::encode(out);
    out["value"] = calculatedValue;
}

void cObjectAInput::decode(const nlohmann::json& in) {
    cObjectPort::decode(in);
    const nlohmann::json& value = in.at("value");
    if (!value.is_number()) {
        // get<float> would take a boolean as 0 or 1.
        throw std::out_of_range("member 'value' is not a number");
    }
    calculatedValue = value.get<float>();
}

cObject* cObjectAInput::clone() const {
    return new cObjectAInput(*this);
}

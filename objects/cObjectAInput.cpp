#include "cObjectAInput.h"

#include <nlohmann/json.hpp>

cObjectAInput::cObjectAInput() : cObjectPort(TYPE_ANALOG_INPUT) {}

cObjectAInput::~cObjectAInput() = default;

void cObjectAInput::encode(nlohmann::json& out) const {
    cObjectPort::encode(out);
    out["value"] = calculatedValue;
}

void cObjectAInput::decode(const nlohmann::json& in) {
    cObjectPort::decode(in);
    calculatedValue = in.at("value").get<float>();
}

cObject* cObjectAInput::clone() const { return new cObjectAInput(*this); }

#include "cObjectDOutput.h"

#include <nlohmann/json.hpp>

cObjectDOutput::cObjectDOutput() : cObjectPort(TYPE_DIGITAL_OUTPUT) {}

cObjectDOutput::~cObjectDOutput() = default;

void cObjectDOutput::encode(nlohmann::json& out) const {
    cObjectPort::encode(out);
    out["output"] = static_cast<int>(outputState);
    out["default"] = static_cast<int>(defaultState);
}

void cObjectDOutput::decode(const nlohmann::json& in) {
    cObjectPort::decode(in);
    outputState = static_cast<eObjectIOState>(in.at("output").get<int>());
    defaultState = static_cast<eObjectIOState>(in.at("default").get<int>());
}

cObject* cObjectDOutput::clone() const { return new cObjectDOutput(*this); }

#include "cObjectDOutput.h"

#include <nlohmann/json.hpp>

cObjectDOutput::cObjectDOutput() : cObjectPort(TYPE_DIGITAL_OUTPUT) {}

cObjectDOutput::~cObjectDOutput() = default;

void cObjectDOutput::encode(nlohmann::json& out) const {
    cObjectPort::encode(out);
    out["output"] = static_cast<int>(outputState);
    out["default"] = static_cast<int>(defaultState);
}

void cObjectDOutput::decode(nlohmann::json& in) {
    cObjectPort::decode(in);
    outputState = static_cast<eObjectIOState>(readCode(in, "output"));
    defaultState = static_cast<eObjectIOState>(readCode(in, "default"));
}

cObject* cObjectDOutput::clone() const {
    return new cObjectDOutput(*this);
}

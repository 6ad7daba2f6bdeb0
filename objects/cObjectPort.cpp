#include "cObjectPort.h"

#include <nlohmann/json.hpp>

cObjectPort::cObjectPort(int type) : cObject(type) {}

cObjectPort::~cObjectPort() = default;

void cObjectPort::setPortLabel(const char* label) {
    portLabel = label != nullptr ? label : "";
}

void cObjectPort::encode(nlohmann::json& out) const {
    cObject::encode(out);
    out["label"] = portLabel;
    out["serial"] = deviceSerial;
    out["port"] = portId;
    out["status"] = static_cast<int>(portStatus);
}

void cObjectPort::decode(const nlohmann::json& in) {
    cObject::decode(in);
    portLabel = in.at("label").get<std::string>();
    deviceSerial = readUnsigned(in, "serial");
    portId = readUnsigned(in, "port");
    portStatus = static_cast<eObjectStatus>(readCode(in, "status", STATUS_ALARM_CLEAR));
}

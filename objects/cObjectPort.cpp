#include "cObjectPort.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

cObjectPort::cObjectPort(int type) : cObject(type) {}

cObjectPort::~cObjectPort() = default;

void cObjectPort::setPortLabel(const char* label) {
    portLabel = label != nullptr ? label : "";
}

void cObjectPort::encode(nlohmann::json& out) const {
    cObject::encode(out);
    out["port"] = portId;
    out["status"] = static_cast<int>(portStatus);
}

void cObjectPort::decode(nlohmann::json& in) {
    cObject::decode(in);
    portId = readUnsigned(in, "port");
    portStatus = static_cast<eObjectStatus>(readCode(in, "status"));
}

void cObjectPort::encodeName(nlohmann::json& out) const {
    cObject::encodeName(out);
    out["label"] = portLabel;
    out["serial"] = deviceSerial;
}

void cObjectPort::decodeName(nlohmann::json& in) {
    cObject::decodeName(in);
    nlohmann::json& label = in.at("label");
    portLabel = label.is_string() ? std::move(label.get_ref<std::string&>())
                                  : label.get<std::string>();  // which raises
    // Labels are compared as C texts: "DI1\0X" would pass for DI1.
    if (portLabel.find('\0') != std::string::npos) {
        throw std::out_of_range("label holds a NUL character");
    }
    deviceSerial = readUnsigned(in, "serial");
}

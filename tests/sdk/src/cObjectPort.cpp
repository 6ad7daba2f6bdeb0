#include "cObjectPort.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "JsonFields.h"

namespace {

// A heap copy of `text`, or null for null (or when memory runs out).
char* copyText(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy != nullptr) {
        std::memcpy(copy, text, size);
    }
    return copy;
}

// A port never labelled has a null label: compared as the empty text.
const char* textOf(const char* label) {
    return label != nullptr ? label : "";
}

}  // namespace

cObjectPort::cObjectPort(int type)
    : cObject(type), portLabel(nullptr), deviceSerial(0), portId(0), portStatus(eStatNone) {}

cObjectPort::cObjectPort(const cObjectPort& other)
    : cObject(other),
      portLabel(copyText(other.portLabel)),
      deviceSerial(other.deviceSerial),
      portId(other.portId),
      portStatus(other.portStatus) {}

cObjectPort& cObjectPort::operator=(const cObjectPort& other) {
    if (this != &other) {
        cObject::operator=(other);
        setPortLabel(other.portLabel);
        deviceSerial = other.deviceSerial;
        portId = other.portId;
        portStatus = other.portStatus;
    }
    return *this;
}

cObjectPort::~cObjectPort() {
    std::free(portLabel);
}

json_t* cObjectPort::getJSONObj() {
    json_t* obj = cObject::getJSONObj();
    json_object_set_new(obj, "label", portLabel != nullptr ? json_string(portLabel) : json_null());
    json_object_set_new(obj, "serial", json_integer(deviceSerial));
    json_object_set_new(obj, "port", json_integer(portId));
    json_object_set_new(obj, "status", json_integer(portStatus));
    return obj;
}

// All or nothing: on failure the port keeps its fields.
int cObjectPort::parse(json_t* obj) {
    const char* label = nullptr;
    unsigned int serial = 0;
    unsigned int id = 0;
    int status = 0;
    if (cObject::parse(obj) != 0 || !ovtjson::getText(obj, "label", label) ||
        !ovtjson::getUnsigned(obj, "serial", serial) || !ovtjson::getUnsigned(obj, "port", id) ||
        !ovtjson::getCode(obj, "status", status)) {
        return -1;
    }
    setPortLabel(label);
    deviceSerial = serial;
    portId = id;
    portStatus = static_cast<eObjectStatus>(status);
    return 0;
}

int cObjectPort::compIndex(cObject* other) {
    const int byType = cObject::compIndex(other);
    auto* port = dynamic_cast<cObjectPort*>(other);
    if (byType != 0 || port == nullptr) {
        return byType;
    }
    if (deviceSerial != port->deviceSerial) {
        return deviceSerial < port->deviceSerial ? -1 : 1;
    }
    if (portId != port->portId) {
        return portId < port->portId ? -1 : 1;
    }
    return std::strcmp(textOf(portLabel), textOf(port->portLabel));
}

int cObjectPort::printKey(char* buf, unsigned int size) {
    return std::snprintf(buf, size, "%d/%u/%u", getType(), deviceSerial, portId);
}

cObject* cObjectPort::clone() {
    return new cObjectPort(*this);
}

void cObjectPort::setPortLabel(const char* label) {
    char* copy = copyText(label);
    std::free(portLabel);
    portLabel = copy;
}

// Null until a label is set: the interface allows it, and a caller must
// cope with it.
char* cObjectPort::getPortLabel() {
    return portLabel;
}

void cObjectPort::setDeviceSerial(unsigned int serial) {
    deviceSerial = serial;
}

unsigned int cObjectPort::getDeviceSerial() {
    return deviceSerial;
}

void cObjectPort::setPortId(unsigned int id) {
    portId = id;
}

unsigned int cObjectPort::getPortId() {
    return portId;
}

void cObjectPort::setPortStatus(eObjectStatus status) {
    portStatus = status;
}

cObject::eObjectStatus cObjectPort::getPortStatus() {
    return portStatus;
}

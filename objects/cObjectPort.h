#ifndef TARWENDLE_OBJECTS_COBJECTPORT_H
#define TARWENDLE_OBJECTS_COBJECTPORT_H

#include <string>

#include "cObject.h"

// A port of a device: label, device serial, port id and port status.
class cObjectPort : public cObject {
public:
    ~cObjectPort() override;

    // Copies the text; null is taken as the empty label.
    void setPortLabel(const char* label);
    const char* getPortLabel() const { return portLabel.c_str(); }

    void setDeviceSerial(unsigned int serial) { deviceSerial = serial; }
    unsigned int getDeviceSerial() const { return deviceSerial; }

    void setPortId(unsigned int id) { portId = id; }
    unsigned int getPortId() const { return portId; }

    void setPortStatus(eObjectStatus status) { portStatus = status; }
    eObjectStatus getPortStatus() const { return portStatus; }

    void encode(nlohmann::json& out) const override;
    void decode(nlohmann::json& in) override;
    // A port is named by its label and device serial.
    void encodeName(nlohmann::json& out) const override;
    void decodeName(nlohmann::json& in) override;

protected:
    explicit cObjectPort(int type);
    cObjectPort(const cObjectPort&) = default;
    cObjectPort& operator=(const cObjectPort&) = default;

private:
    std::string portLabel;
    unsigned int deviceSerial = 0;
    unsigned int portId = 0;
    eObjectStatus portStatus = STATUS_CLEARED;
};

#endif

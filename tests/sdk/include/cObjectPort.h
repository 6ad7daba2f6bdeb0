#ifndef OVTOBJ_COBJECTPORT_H
#define OVTOBJ_COBJECTPORT_H

#include "cObject.h"

// A port of a device: named by its label and the device's serial.
class cObjectPort : public cObject {
public:
    cObjectPort(const cObjectPort& other);
    cObjectPort& operator=(const cObjectPort& other);
    ~cObjectPort() override;

    json_t* getJSONObj() override;
    using cObject::parse;  // the message form stays visible
    int parse(json_t* obj) override;
    int compIndex(cObject* other) override;
    int printKey(char* buf, unsigned int size) override;
    cObject* clone() override;

    // The label is copied; null clears it.
    void setPortLabel(const char* label);
    char* getPortLabel();
    void setDeviceSerial(unsigned int serial);
    unsigned int getDeviceSerial();
    void setPortId(unsigned int id);
    unsigned int getPortId();
    void setPortStatus(eObjectStatus status);
    eObjectStatus getPortStatus();

protected:
    explicit cObjectPort(int type);

private:
    char* portLabel;
    unsigned int deviceSerial;
    unsigned int portId;
    eObjectStatus portStatus;
};

#endif

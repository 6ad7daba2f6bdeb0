#ifndef OVTOBJ_COBJECTAINPUT_H
#define OVTOBJ_COBJECTAINPUT_H

#include "cObjectPort.h"

// An analog input with the value the device calculated from its reading.
class cObjectAInput : public cObjectPort {
public:
    cObjectAInput();
    ~cObjectAInput() override;

    json_t* getJSONObj() override;
    using cObjectPort::parse;  // the message form stays visible
    int parse(json_t* obj) override;
    cObject* clone() override;

    void setCalculatedValue(float value);
    float getCalculatedValue();

private:
    float calculatedValue;
};

#endif

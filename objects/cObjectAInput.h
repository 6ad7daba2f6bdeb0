#ifndef TARWENDLE_OBJECTS_COBJECTAINPUT_H
#define TARWENDLE_OBJECTS_COBJECTAINPUT_H

#include "cObjectPort.h"

// An analog input port with its calculated value.
class cObjectAInput : public cObjectPort {
public:
    cObjectAInput();
    cObjectAInput(const cObjectAInput&) = default;
    cObjectAInput& operator=(const cObjectAInput&) = default;
    ~cObjectAInput() override;

    void setCalculatedValue(float value) { calculatedValue = value; }
    float getCalculatedValue() const { return calculatedValue; }

    void encode(nlohmann::json& out) const override;
    void decode(const nlohmann::json& in) override;
    cObject* clone() const override;

private:
    float calculatedValue = 0.0F;
};

#endif

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

    // A reading in single precision: beyond the float range it is the
    // infinity of its sign, which the rules compare like any value.
    static float toSinglePrecision(double reading);

    void encode(nlohmann::json& out) const override;
    void decode(nlohmann::json& in) override;
    cObject* clone() const override;

private:
    float calculatedValue = 0.0F;
};

#endif

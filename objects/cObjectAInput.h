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

    // The least magnitude that rounds beyond the largest float, to nearest
    // with ties to even: FLT_MAX plus half an ulp, 2^128 - 2^103. The tie
    // itself goes up, FLT_MAX's significand being odd.
    static constexpr double ROUNDS_TO_INFINITY = 0x1.ffffffp127;

    // A reading in single precision, rounded to nearest from the double that
    // the JSON parser read: what rounds beyond the float range is the
    // infinity of its sign, which the rules compare like any value. The
    // text is rounded twice, so a reading within a few units of the 17th
    // digit of a float's halfway point may land one float off what strtof
    // gives from the text (1.0000000596046447755 gives 1).
    static float toSinglePrecision(double reading);

    void encode(nlohmann::json& out) const override;
    void decode(nlohmann::json& in) override;
    cObject* clone() const override;

private:
    float calculatedValue = 0.0F;
};

#endif

#include "cObjectAInput.h"

#include "JsonFields.h"
#include "TypeCodes.h"

cObjectAInput::cObjectAInput() : cObjectPort(ovttype::ANALOG_INPUT), calculatedValue(0.0f) {}

cObjectAInput::~cObjectAInput() {}

json_t* cObjectAInput::getJSONObj() {
    json_t* obj = cObjectPort::getJSONObj();
    json_object_set_new(obj, "value", ovtjson::fromFloat(calculatedValue));
    return obj;
}

int cObjectAInput::parse(json_t* obj) {
    double value = 0.0;
    if (!ovtjson::getNumber(obj, "value", value) || cObjectPort::parse(obj) != 0) {
        return -1;
    }
    calculatedValue = ovtjson::toFloat(value);
    return 0;
}

cObject* cObjectAInput::clone() {
    return new cObjectAInput(*this);
}

void cObjectAInput::setCalculatedValue(float value) {
    calculatedValue = value;
}

float cObjectAInput::getCalculatedValue() {
    return calculatedValue;
}

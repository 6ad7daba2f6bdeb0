#include "cObjectDOutput.h"

#include "JsonFields.h"
#include "TypeCodes.h"

cObjectDOutput::cObjectDOutput()
    : cObjectPort(ovttype::DIGITAL_OUTPUT), outputState(eIONone), defaultState(eIONone) {}

cObjectDOutput::~cObjectDOutput() {}

json_t* cObjectDOutput::getJSONObj() {
    json_t* obj = cObjectPort::getJSONObj();
    json_object_set_new(obj, "output", json_integer(outputState));
    json_object_set_new(obj, "default", json_integer(defaultState));
    return obj;
}

int cObjectDOutput::parse(json_t* obj) {
    int output = 0;
    int deflt = 0;
    if (!ovtjson::getCode(obj, "output", output) || !ovtjson::getCode(obj, "default", deflt) ||
        cObjectPort::parse(obj) != 0) {
        return -1;
    }
    outputState = static_cast<eObjectIOState>(output);
    defaultState = static_cast<eObjectIOState>(deflt);
    return 0;
}

cObject* cObjectDOutput::clone() {
    return new cObjectDOutput(*this);
}

void cObjectDOutput::setOutputState(eObjectIOState state) {
    outputState = state;
}

cObject::eObjectIOState cObjectDOutput::getOutputState() {
    return outputState;
}

void cObjectDOutput::setDefaultState(eObjectIOState state) {
    defaultState = state;
}

cObject::eObjectIOState cObjectDOutput::getDefaultState() {
    return defaultState;
}

#include "cObjectDInput.h"

#include "TypeCodes.h"

cObjectDInput::cObjectDInput() : cObjectPort(ovttype::DIGITAL_INPUT) {}

cObjectDInput::~cObjectDInput() {}

cObject* cObjectDInput::clone() {
    return new cObjectDInput(*this);
}

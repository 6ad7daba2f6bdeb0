#include "cObjectDInput.h"

cObjectDInput::cObjectDInput() : cObjectPort(TYPE_DIGITAL_INPUT) {}

cObjectDInput::~cObjectDInput() = default;

cObject* cObjectDInput::clone() const {
    return new cObjectDInput(*this);
}

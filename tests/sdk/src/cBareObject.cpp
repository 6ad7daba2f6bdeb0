#include "cBareObject.h"

cBareObject::cBareObject(int type) : cObject(type) {}

cBareObject::~cBareObject() {}

cObject* cBareObject::clone() {
    return new cBareObject(*this);
}

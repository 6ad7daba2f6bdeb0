#include "cObject.h"

#include <cstdio>

#include <jansson.h>

cObject::cObject(int type) : objType(type) {}

cObject::~cObject() {}

// Tags come from the dictionary library, which this build does not carry.
int cObject::getTags(std::vector<cOvtTag*>&) {
    return 0;
}

json_t* cObject::getJSONObj() {
    json_t* obj = json_object();
    json_object_set_new(obj, "type", json_integer(objType));
    return obj;
}

// Messages come from the messaging library, which this build does not carry.
int cObject::parse(cWmsgObj*, std::vector<cOvtTag*>&) {
    return -1;
}

// A bare object has nothing but its type, which is fixed at construction.
int cObject::parse(json_t* obj) {
    json_t* type = json_object_get(obj, "type");
    return json_is_integer(type) && json_integer_value(type) == objType ? 0 : -1;
}

int cObject::compIndex(cObject* other) {
    if (other == nullptr) {
        return 1;
    }
    return objType < other->objType ? -1 : objType > other->objType ? 1 : 0;
}

bool cObject::operator<(cObject& other) {
    return compIndex(&other) < 0;
}

int cObject::printKey(char* buf, unsigned int size) {
    return std::snprintf(buf, size, "%d", objType);
}

cObject* cObject::clone() {
    return new cObject(*this);
}

int cObject::getType() {
    return objType;
}

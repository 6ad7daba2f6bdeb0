#include "cObject.h"

#include <nlohmann/json.hpp>

cObject::cObject(int type) : type(type) {}

cObject::~cObject() = default;

void cObject::encode(nlohmann::json& out) const { out["type"] = type; }

// The type code is read by whoever chose the class to decode into.
void cObject::decode(const nlohmann::json& /*in*/) {}

cObject* cObject::clone() const { return new cObject(*this); }

#include "cObject.h"

#include <climits>
#include <cstdint>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

cObject::cObject(int type) : type(type) {}

cObject::~cObject() = default;

// The whole wire form is the name, which the class's own encodeName
// writes, and the fields each class below adds.
void cObject::encode(nlohmann::json& out) const {
    encodeName(out);
}

void cObject::decode(nlohmann::json& in) {
    decodeName(in);
}

void cObject::encodeName(nlohmann::json& out) const {
    out["type"] = type;
}

// The type code is read by whoever chose the class to decode into.
void cObject::decodeName(nlohmann::json& /*in*/) {}

cObject* cObject::clone() const {
    return new cObject(*this);
}

// A negative number would otherwise wrap silently to a large value, and a
// fraction would be truncated; both are refused.
static bool integerWithin(const nlohmann::json& value, std::int64_t lowest, std::int64_t highest,
                          std::int64_t& result) {
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(highest)) {
            return false;
        }
        result = static_cast<std::int64_t>(number);
    } else if (value.is_number_integer()) {
        result = value.get<std::int64_t>();
    } else {
        return false;
    }
    return result >= lowest && result <= highest;
}

unsigned int cObject::readUnsigned(const nlohmann::json& in, const char* key) {
    std::int64_t number = 0;
    if (!integerWithin(in.at(key), 0, UINT_MAX, number)) {
        throw std::out_of_range(std::string("member '") + key + "' is not an unsigned integer");
    }
    return static_cast<unsigned int>(number);
}

int cObject::readCode(const nlohmann::json& in, const char* key) {
    std::int64_t code = 0;
    if (!integerWithin(in.at(key), INT_MIN, INT_MAX, code)) {
        throw std::out_of_range(std::string("member '") + key + "' is not an integer code");
    }
    return static_cast<int>(code);
}

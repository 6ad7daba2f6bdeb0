#include "JsonFields.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

const char* const TEXT_INFINITY = "inf";
const char* const TEXT_MINUS_INFINITY = "-inf";
const int FLOAT_ROUND_TRIP_DIGITS = 9;

}  // namespace

namespace ovtjson {

bool getUnsigned(json_t* obj, const char* key, unsigned int& out) {
    json_t* member = json_object_get(obj, key);
    if (!json_is_integer(member)) {
        return false;
    }
    const json_int_t value = json_integer_value(member);
    if (value < 0 || value > static_cast<json_int_t>(UINT_MAX)) {
        return false;
    }
    out = static_cast<unsigned int>(value);
    return true;
}

bool getCode(json_t* obj, const char* key, int& out) {
    json_t* member = json_object_get(obj, key);
    if (!json_is_integer(member)) {
        return false;
    }
    const json_int_t value = json_integer_value(member);
    if (value < INT_MIN || value > INT_MAX) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

bool getText(json_t* obj, const char* key, const char*& out) {
    json_t* member = json_object_get(obj, key);
    if (!json_is_string(member)) {
        return false;
    }
    const char* text = json_string_value(member);
    if (std::strlen(text) != json_string_length(member)) {
        return false;
    }
    out = text;
    return true;
}

bool getNumber(json_t* obj, const char* key, double& out) {
    json_t* member = json_object_get(obj, key);
    if (json_is_number(member)) {
        out = json_number_value(member);
        return true;
    }
    if (json_is_string(member)) {
        const char* text = json_string_value(member);
        if (std::strcmp(text, TEXT_INFINITY) == 0) {
            out = std::numeric_limits<double>::infinity();
            return true;
        }
        if (std::strcmp(text, TEXT_MINUS_INFINITY) == 0) {
            out = -std::numeric_limits<double>::infinity();
            return true;
        }
    }
    return false;
}

float toFloat(double value) {
    // Converting a double beyond float's range is undefined; the C library's
    // conversion of its exact spelling rounds to nearest, overflow included.
    char exact[64];
    std::snprintf(exact, sizeof exact, "%a", value);
    return std::strtof(exact, nullptr);
}

json_t* fromFloat(float value) {
    if (std::isinf(value)) {
        return json_string(value > 0 ? TEXT_INFINITY : TEXT_MINUS_INFINITY);
    }
    if (std::isnan(value)) {
        return json_null();
    }
    char text[32];
    for (int digits = 1; digits <= FLOAT_ROUND_TRIP_DIGITS; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) {
            break;
        }
    }
    return json_real(std::strtod(text, nullptr));
}

}  // namespace ovtjson

#ifndef OVTOBJ_JSONFIELDS_H
#define OVTOBJ_JSONFIELDS_H

#include <jansson.h>

/*
 * Reading and writing the fields of an object's JSON form. Each reader
 * leaves `out` untouched and returns false when the member is missing or
 * does not fit its field.
 */
namespace ovtjson {

// An integer from 0 to 4294967295.
bool getUnsigned(json_t* obj, const char* key, unsigned int& out);
// A status or state code: any integer an int holds.
bool getCode(json_t* obj, const char* key, int& out);
// Text without NUL: ports are matched by their label as a C text.
bool getText(json_t* obj, const char* key, const char*& out);
// An integer or a real; "inf" and "-inf" stand for what JSON cannot write.
bool getNumber(json_t* obj, const char* key, double& out);

// Single precision; a value beyond its range becomes infinity of its sign.
float toFloat(double value);
// The shortest number that reads back as `value`; infinity as "inf" or "-inf".
json_t* fromFloat(float value);

}  // namespace ovtjson

#endif

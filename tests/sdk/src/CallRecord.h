#ifndef OVTOBJ_CALLRECORD_H
#define OVTOBJ_CALLRECORD_H

#include <jansson.h>

namespace ovtcalls {

// The environment variable naming the call record; unset, no record is kept.
extern const char* const ENV_CALLS;

// Appends `line` as one compact JSON line to the call record, written
// through at once so that a reader sees every call as soon as it returns.
// Takes over the caller's reference to `line`.
void append(json_t* line);

}  // namespace ovtcalls

#endif

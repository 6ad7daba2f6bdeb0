#ifndef TARWENDLE_ENGINE_OBJECTCODES_H
#define TARWENDLE_ENGINE_OBJECTCODES_H

#include "cObject.h"

/*
 * The object library's codes as the engine knows them: by value. A
 * controller's own library names its enumerators as it likes and has no
 * constants for the type codes, so nothing here uses a name of its.
 */
namespace object_codes {
// cObject::getType() of the three port classes.
constexpr int kDigitalInput = 2;
constexpr int kDigitalOutput = 3;
constexpr int kAnalogInput = 4;

// A digital input's port status.
constexpr cObject::eObjectStatus kStatusCleared = static_cast<cObject::eObjectStatus>(0);
constexpr cObject::eObjectStatus kAlarmSet = static_cast<cObject::eObjectStatus>(1);
constexpr cObject::eObjectStatus kAlarmClear = static_cast<cObject::eObjectStatus>(2);

// A digital output's output and default state.
constexpr cObject::eObjectIOState kStateNone = static_cast<cObject::eObjectIOState>(0);
constexpr cObject::eObjectIOState kHigh = static_cast<cObject::eObjectIOState>(1);
constexpr cObject::eObjectIOState kLow = static_cast<cObject::eObjectIOState>(2);
}  // namespace object_codes

#endif

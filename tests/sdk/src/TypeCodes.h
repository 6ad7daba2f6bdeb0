#ifndef OVTOBJ_TYPECODES_H
#define OVTOBJ_TYPECODES_H

// The type codes of the port classes, as the object service numbers them.
namespace ovttype {

enum : int { DIGITAL_INPUT = 2, DIGITAL_OUTPUT = 3, ANALOG_INPUT = 4 };

}  // namespace ovttype

#endif

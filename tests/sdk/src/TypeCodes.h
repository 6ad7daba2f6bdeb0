#ifndef OVTOBJ_TYPECODES_H
#define OVTOBJ_TYPECODES_H

// The type codes of the port classes, as the object service numbers them.
namespace ovttype {

const int DIGITAL_INPUT = 2;
const int DIGITAL_OUTPUT = 3;
const int ANALOG_INPUT = 4;

}  // namespace ovttype

#endif

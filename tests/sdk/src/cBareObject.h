#ifndef OVTOBJ_CBAREOBJECT_H
#define OVTOBJ_CBAREOBJECT_H

#include "cObject.h"

// An object of a type this library does not know: its code and nothing else.
class cBareObject : public cObject {
public:
    explicit cBareObject(int type);
    ~cBareObject() override;

    cObject* clone() override;
};

#endif

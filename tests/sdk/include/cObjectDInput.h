#ifndef OVTOBJ_COBJECTDINPUT_H
#define OVTOBJ_COBJECTDINPUT_H

#include "cObjectPort.h"

// A digital input: its state is the port status.
class cObjectDInput : public cObjectPort {
public:
    cObjectDInput();
    ~cObjectDInput() override;

    cObject* clone() override;
};

#endif

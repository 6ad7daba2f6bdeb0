#ifndef TARWENDLE_OBJECTS_COBJECTDINPUT_H
#define TARWENDLE_OBJECTS_COBJECTDINPUT_H

#include "cObjectPort.h"

// A digital input port; its alarm state is the port status.
class cObjectDInput : public cObjectPort {
public:
    cObjectDInput();
    cObjectDInput(const cObjectDInput&) = default;
    cObjectDInput& operator=(const cObjectDInput&) = default;
    ~cObjectDInput() override;

    cObject* clone() const override;
};

#endif

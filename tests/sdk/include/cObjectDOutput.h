#ifndef OVTOBJ_COBJECTDOUTPUT_H
#define OVTOBJ_COBJECTDOUTPUT_H

#include "cObjectPort.h"

// A digital output: the state it drives and the state it rests in.
class cObjectDOutput : public cObjectPort {
public:
    cObjectDOutput();
    ~cObjectDOutput() override;

    json_t* getJSONObj() override;
    using cObjectPort::parse;  // the message form stays visible
    int parse(json_t* obj) override;
    cObject* clone() override;

    void setOutputState(eObjectIOState state);
    eObjectIOState getOutputState();
    void setDefaultState(eObjectIOState state);
    eObjectIOState getDefaultState();

private:
    eObjectIOState outputState;
    eObjectIOState defaultState;
};

#endif

#ifndef TARWENDLE_OBJECTS_COBJECTDOUTPUT_H
#define TARWENDLE_OBJECTS_COBJECTDOUTPUT_H

#include "cObjectPort.h"

// A digital output port with its output state and its default (resting) state.
class cObjectDOutput : public cObjectPort {
public:
    cObjectDOutput();
    cObjectDOutput(const cObjectDOutput&) = default;
    cObjectDOutput& operator=(const cObjectDOutput&) = default;
    ~cObjectDOutput() override;

    void setOutputState(eObjectIOState state) { outputState = state; }
    eObjectIOState getOutputState() const { return outputState; }

    void setDefaultState(eObjectIOState state) { defaultState = state; }
    eObjectIOState getDefaultState() const { return defaultState; }

    void encode(nlohmann::json& out) const override;
    void decode(nlohmann::json& in) override;
    cObject* clone() const override;

private:
    eObjectIOState outputState = IOSTATE_NONE;
    eObjectIOState defaultState = IOSTATE_NONE;
};

#endif

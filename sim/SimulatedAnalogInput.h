#ifndef TARWENDLE_SIM_SIMULATEDANALOGINPUT_H
#define TARWENDLE_SIM_SIMULATEDANALOGINPUT_H

#include <nlohmann/json_fwd.hpp>

#include "cObjectAInput.h"

/*
 * An analog input as the simulator holds it: its reading in double
 * precision, as the state file gives it, so that a reading beyond what a
 * client keeps (1e39 against single precision) reaches the wire unchanged.
 */
class SimulatedAnalogInput : public cObjectAInput {
public:
    SimulatedAnalogInput();
    // The same port and value.
    explicit SimulatedAnalogInput(const cObjectAInput& input);
    SimulatedAnalogInput(const SimulatedAnalogInput&) = default;
    SimulatedAnalogInput& operator=(const SimulatedAnalogInput&) = default;
    ~SimulatedAnalogInput() override;

    // Also the calculated value, as a client would take the reading.
    void setReading(double value);
    double getReading() const { return reading; }

    void encode(nlohmann::json& out) const override;
    cObject* clone() const override;

private:
    double reading = 0.0;
};

#endif

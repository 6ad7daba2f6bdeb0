#ifndef TARWENDLE_SIM_SIMULATORSTATE_H
#define TARWENDLE_SIM_SIMULATORSTATE_H

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "SimulatedAnalogInput.h"
#include "cObjectDInput.h"
#include "cObjectDOutput.h"

/*
 * What the simulated object service holds: its input and output ports and
 * the fault it plays. Read from a JSON state document such as
 *   {"digital_inputs": [{"label": "DI1", "deviceid": "a1", "status": 1}],
 *    "analog_inputs": [{"label": "AI1", "deviceid": "a1", "value": 12.5}],
 *    "digital_outputs": [{"label": "DO1", "deviceid": "a1", "portid": 3,
 *                         "default": 2, "state": 2}],
 *    "fault": "none"}
 * and optionally "extra_objects": objects in wire form that every read
 * answer carries after the requested ones, to play a service that answers
 * more than it was asked, and "fault_bytes": the payload of the fault
 * "bytes", any bytes at all, each written as the character of its code
 * (U+0000 to U+00FF), so that a state can play an answer no encoder makes.
 */
class SimulatorState {
public:
    enum class eFault {
        NONE,     // answer every request
        HANG,     // read requests, never answer
        CLOSE,    // close the connection without answering
        GARBAGE,  // answer with bytes that are no valid frame
        // answer in full, but with the document's last byte spoiled: a
        // reader takes in all of it before it can refuse it
        MALFORMED_END,
        BYTES,  // answer with a frame whose payload is getFaultBytes()
    };

    static const char* faultName(eFault fault);

    // Replaces the state with the document's, but for the outputs whose
    // state the document gives as the last one did: they keep the state
    // written to them. On failure the state is left as it was and `why`
    // says what is wrong.
    bool parse(const std::string& text, std::string& why);

    // The held object answering a requested one: same type code, label and
    // device serial. Null when none matches.
    const cObject* find(const cObject& requested) const;

    // Sets the output state of the output with this device serial and port
    // id. Only the states high and low are applied.
    bool applyOutput(unsigned int serial, unsigned int portId, int state);

    eFault getFault() const { return fault; }
    const std::string& getFaultBytes() const { return faultBytes; }

    // Appended to every read answer, whatever was requested.
    const std::vector<std::shared_ptr<const cObject>>& getExtraObjects() const {
        return extraObjects;
    }

    // "2 digital inputs, 1 analog input, ..." for messages to people.
    std::string summary() const;

private:
    std::vector<cObjectDInput> digitalInputs;
    std::vector<SimulatedAnalogInput> analogInputs;
    std::vector<cObjectDOutput> digitalOutputs;
    // Each output's state as the last document gave it, by serial and port id.
    std::map<std::pair<unsigned int, unsigned int>, cObject::eObjectIOState> filedStates;
    std::vector<std::shared_ptr<const cObject>> extraObjects;
    eFault fault = eFault::NONE;
    std::string faultBytes;
};

#endif

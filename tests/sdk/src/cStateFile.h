#ifndef OVTOBJ_CSTATEFILE_H
#define OVTOBJ_CSTATEFILE_H

#include <memory>
#include <string>
#include <vector>

#include <jansson.h>

#include "cObjectAInput.h"
#include "cObjectDInput.h"
#include "cObjectDOutput.h"

/*
 * The ports the object service holds, read from a JSON state document:
 *   {"digital_inputs": [{"label": "DI1", "deviceid": "a1", "status": 1}],
 *    "analog_inputs": [{"label": "AI1", "deviceid": "a1", "value": 12.5}],
 *    "digital_outputs": [{"label": "DO1", "deviceid": "a1", "portid": 3,
 *                         "default": 2, "state": 2}],
 *    "extra_objects": [{"type": 9}],
 *    "fault": "none"}
 * Device ids are hexadecimal text; extra objects are in their JSON form
 * (serial as a number) and follow every answer.
 */
class cStateFile {
public:
    explicit cStateFile(const char* path);
    ~cStateFile();

    cStateFile(const cStateFile&) = delete;
    cStateFile& operator=(const cStateFile&) = delete;

    // Reads the document; false when it is missing, unreadable or invalid.
    bool load();
    // The document plays a fault: the service answers nothing.
    bool isFaulted() const { return faulted; }
    // The fault "block": a get waits until the document says otherwise.
    bool isBlocking() const { return blocking; }

    // A copy of the held port answering `requested`: same type code, label
    // and device serial. Null when none does.
    std::unique_ptr<cObject> answer(cObject& requested);
    // Copies of the extra objects, in the document's order.
    void copyExtras(std::vector<std::unique_ptr<cObject>>& out);

    // Sets the state of the first output with this serial and port id, and
    // replaces the file with the changed document. False when no output
    // matches or the file cannot be replaced.
    bool applyOutput(unsigned int serial, unsigned int portId, int state);

private:
    bool readPortLists();
    bool readExtras();
    bool readFault();
    bool save();

    std::string path;
    json_t* document;
    std::vector<cObjectDInput> digitalInputs;
    std::vector<cObjectAInput> analogInputs;
    std::vector<cObjectDOutput> digitalOutputs;
    std::vector<std::unique_ptr<cObject>> extras;
    bool faulted;
    bool blocking;
};

#endif

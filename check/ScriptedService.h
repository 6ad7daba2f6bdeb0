#ifndef TARWENDLE_CHECK_SCRIPTEDSERVICE_H
#define TARWENDLE_CHECK_SCRIPTEDSERVICE_H

#include <memory>
#include <vector>

#include "ObjectCodes.h"
#include "ObjectService.h"
#include "cObjectList.h"

/*
 * An object service in memory for one explained poll: it answers a read
 * with the objects it was given, and keeps the output state the engine
 * writes instead of sending it anywhere.
 */
class ScriptedService : public ObjectService {
public:
    // Answered to every read, in this order.
    void answer(std::unique_ptr<cObject> object);

    void start(const char* host, int port) override;
    cObjectList* get(cObjectList* request) override;
    void set(cObject* object) override;

    // The state the engine wrote; none before any write.
    cObject::eObjectIOState written() const { return writtenState; }
    bool wasWritten() const { return writes > 0; }

private:
    std::vector<std::unique_ptr<cObject>> objects;
    // A reply lends the objects above; a new one for every read.
    std::unique_ptr<cObjectList> response;
    cObject::eObjectIOState writtenState = object_codes::kStateNone;
    int writes = 0;
};

#endif

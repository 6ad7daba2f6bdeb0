#ifndef TARWENDLE_CHECK_SCRIPTEDSERVICE_H
#define TARWENDLE_CHECK_SCRIPTEDSERVICE_H

#include <memory>
#include <vector>

#include "cObjectClient.h"
#include "cObjectDOutput.h"
#include "cObjectList.h"

/*
 * An object service in memory for one explained poll: it answers a read
 * with the objects it was given, and keeps the output state the engine
 * writes instead of sending it anywhere.
 */
class ScriptedService : public cObjectClient {
public:
    // Answered to every read, in this order.
    void answer(std::unique_ptr<cObject> object);

    bool start(const char* host, int port) override;
    cObjectList* get(cObjectList* request) override;
    bool set(cObject* object) override;

    // The state the engine wrote; IOSTATE_NONE before any write.
    cObject::eObjectIOState written() const { return writtenState; }
    bool wasWritten() const { return writes > 0; }

private:
    std::vector<std::unique_ptr<cObject>> objects;
    cObjectList response;
    cObject::eObjectIOState writtenState = cObject::IOSTATE_NONE;
    int writes = 0;
};

#endif

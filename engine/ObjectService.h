#ifndef TARWENDLE_ENGINE_OBJECTSERVICE_H
#define TARWENDLE_ENGINE_OBJECTSERVICE_H

#include <string>

#include "cObject.h"
#include "cObjectList.h"

/*
 * The three things the engine asks of the object service, and the one
 * place to stand in for it: the build's library (ClientService), memory
 * (MemoryService), or a test's own. The library's client cannot stand in
 * itself, since a controller's library has no virtual operations.
 */
class ObjectService {
public:
    // What became of a write, as far as the service lets us know.
    enum class Write {
        APPLIED,         // acknowledged and applied
        REFUSED,         // refused, or never sent whole: the output did not change
        UNACKNOWLEDGED,  // sent whole, and no answer came: it may have taken
        UNCONFIRMED,     // sent, by a library that never says whether it took
    };

    virtual ~ObjectService() = default;

    // Where the service is; no result is used.
    virtual void start(const char* host, int port) = 0;
    // The reply to a read request, or null; the reply is not the caller's.
    virtual cObjectList* get(cObjectList* request) = 0;
    // Writes one object.
    virtual Write set(cObject* object) = 0;
    // Why the last call failed, as far as the service says; empty if it
    // does not. The poll never asks: the tools do.
    virtual std::string lastFailure() const { return std::string(); }
};

#endif

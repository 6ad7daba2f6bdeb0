#ifndef TARWENDLE_ENGINE_OBJECTSERVICE_H
#define TARWENDLE_ENGINE_OBJECTSERVICE_H

#include "cObject.h"
#include "cObjectList.h"

/*
 * The three things the engine asks of the object service. The service's
 * client does not lend itself to standing in (a controller's library has
 * no virtual operations), so a tool that answers a poll from memory, such
 * as tarwendle-check's explained moments, stands in here instead.
 */
class ObjectService {
public:
    virtual ~ObjectService() = default;

    // Where the service is; no result is used.
    virtual void start(const char* host, int port) = 0;
    // The reply to a read request, or null; the reply is not the caller's.
    virtual cObjectList* get(cObjectList* request) = 0;
    // Writes one object; no result is used.
    virtual void set(cObject* object) = 0;
};

#endif

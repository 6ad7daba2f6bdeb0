#ifndef TARWENDLE_OBJECTS_COBJECTCLIENT_H
#define TARWENDLE_OBJECTS_COBJECTCLIENT_H

#include <memory>
#include <string>

#include "cObjectList.h"

/*
 * Client of the local object service. Every connect, send and receive is
 * bounded in time; a connection that is down is reopened once before a
 * request. A service that is absent, hangs, closes or answers garbage makes
 * get return null and set return false; neither ever hangs or throws.
 */
class cObjectClient {
public:
    cObjectClient();
    ~cObjectClient();

    cObjectClient(const cObjectClient&) = delete;
    cObjectClient& operator=(const cObjectClient&) = delete;

    // Records where the service is and connects. Returns whether it did.
    bool start(const char* host, int port);

    // Reads the current objects named in the request. The reply belongs to
    // the client and stays valid until the next get; null on any failure.
    cObjectList* get(cObjectList* request);

    // Writes one object; true when the service acknowledged it.
    bool set(cObject* object);
};

#endif

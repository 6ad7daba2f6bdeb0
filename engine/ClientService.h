#ifndef TARWENDLE_ENGINE_CLIENTSERVICE_H
#define TARWENDLE_ENGINE_CLIENTSERVICE_H

#include <string>

#include "ObjectService.h"
#include "cObjectClient.h"
#include "cObjectList.h"

/*
 * The object service as this build's object library reaches it. Our own
 * library, which speaks our protocol to objsim, can tell more than the
 * common operations: whether a request fits in one of its frames, and why
 * a call failed. A controller's own library cannot, and its build answers
 * with what it can (ClientService.cpp there is engine/platform/). The poll
 * never asks; start-up and the tools do.
 */
class ClientService : public ObjectService {
public:
    // Why a read request for `request` could never be sent, or its answer
    // never received; empty if both can.
    static std::string unsendable(cObjectList& request);
    // Why the last call failed, as far as the library says; empty after a
    // success.
    std::string lastFailure() const override;

    void start(const char* host, int port) override;
    cObjectList* get(cObjectList* request) override;
    // Says what became of the write, as far as the library can.
    Write set(cObject* object) override;

private:
    cObjectClient client;
    // Kept only where the library keeps no reason itself.
    bool failed = false;
};

#endif

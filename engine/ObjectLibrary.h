#ifndef TARWENDLE_ENGINE_OBJECTLIBRARY_H
#define TARWENDLE_ENGINE_OBJECTLIBRARY_H

#include <string>

#include "ObjectService.h"
#include "cObjectClient.h"
#include "cObjectList.h"

/*
 * What the engine and its tools learn of the object library beyond the
 * operations every build of it has. Our own library, which speaks our
 * protocol to objsim, can tell more: whether a request fits in one of its
 * frames, and why a call failed. A controller's own library cannot, and
 * its build answers with what it can (ObjectLibrary.cpp there is
 * engine/platform/). The poll never asks; start-up and the tools do.
 */
class ObjectLibrary {
public:
    // Why a read request for `request` could never be sent, or its answer
    // never received; empty if both can.
    static std::string unsendable(cObjectList& request);
    // Why the client's last call failed, as far as the library says.
    static std::string lastFailure(cObjectClient& client);
    // Writes `object` and says what became of it, as far as the library can.
    static ObjectService::Write write(cObjectClient& client, cObject* object);
};

#endif

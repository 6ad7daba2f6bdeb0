// A controller's own object library: no frame bound known, no reasons, and
// no result of a write that the service may rely on.
#include "ObjectLibrary.h"

std::string ObjectLibrary::unsendable(cObjectList& /*request*/) {
    return std::string();
}

std::string ObjectLibrary::lastFailure(cObjectClient& /*client*/) {
    return "no response (the controller's object library gives no reason)";
}

ObjectService::Write ObjectLibrary::write(cObjectClient& client, cObject* object) {
    client.set(object);
    return ObjectService::Write::UNCONFIRMED;
}

// A controller's own object library: no frame bound known, no reasons, and
// no result of a write that the service may rely on.
#include "ClientService.h"

std::string ClientService::unsendable(cObjectList& /*request*/) {
    return std::string();
}

std::string ClientService::lastFailure() const {
    return failed ? "no response (the controller's object library gives no reason)" : "";
}

void ClientService::start(const char* host, int port) {
    client.start(host, port);
}

cObjectList* ClientService::get(cObjectList* request) {
    cObjectList* reply = client.get(request);
    failed = reply == nullptr;
    return reply;
}

ObjectService::Write ClientService::set(cObject* object) {
    client.set(object);
    failed = false;
    return Write::UNCONFIRMED;
}

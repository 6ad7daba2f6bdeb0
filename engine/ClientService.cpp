#include "ClientService.h"

#include <utility>

ClientService::ClientService(std::unique_ptr<cObjectClient> client) : client(std::move(client)) {}

ClientService::~ClientService() = default;

void ClientService::start(const char* host, int port) {
    client->start(host, port);
}

cObjectList* ClientService::get(cObjectList* request) {
    return client->get(request);
}

void ClientService::set(cObject* object) {
    client->set(object);
}

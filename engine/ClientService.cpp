#include "ClientService.h"

#include <utility>

#include "ObjectLibrary.h"

ClientService::ClientService(std::unique_ptr<cObjectClient> client) : client(std::move(client)) {}

ClientService::~ClientService() = default;

void ClientService::start(const char* host, int port) {
    client->start(host, port);
}

cObjectList* ClientService::get(cObjectList* request) {
    return client->get(request);
}

ObjectService::Write ClientService::set(cObject* object) {
    return ObjectLibrary::write(*client, object);
}

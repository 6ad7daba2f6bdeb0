#ifndef TARWENDLE_ENGINE_CLIENTSERVICE_H
#define TARWENDLE_ENGINE_CLIENTSERVICE_H

#include <memory>

#include "ObjectService.h"
#include "cObjectClient.h"

// The object service as the object library's client reaches it.
class ClientService : public ObjectService {
public:
    explicit ClientService(std::unique_ptr<cObjectClient> client);
    ~ClientService() override;

    void start(const char* host, int port) override;
    cObjectList* get(cObjectList* request) override;
    Write set(cObject* object) override;

private:
    std::unique_ptr<cObjectClient> client;
};

#endif

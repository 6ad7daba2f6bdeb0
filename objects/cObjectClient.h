#ifndef TARWENDLE_OBJECTS_COBJECTCLIENT_H
#define TARWENDLE_OBJECTS_COBJECTCLIENT_H

#include <memory>
#include <string>

#include "cObjectFrame.h"
#include "cObjectList.h"
#include "cObjectSocket.h"

/*
 * Client of the local object service. Every connect, send and receive is
 * bounded in time; a connection that is down is reopened once before a
 * request. A service that is absent, hangs, closes or answers garbage makes
 * get return null and set return false; neither ever hangs or throws.
 */
class cObjectClient {
public:
    static constexpr int DEFAULT_TIMEOUT_MS = 3000;
    static constexpr int MAX_TIMEOUT_MS = 5000;

    cObjectClient();
    // Virtual so that tests and benchmarks can stand in for the service.
    virtual ~cObjectClient();

    cObjectClient(const cObjectClient&) = delete;
    cObjectClient& operator=(const cObjectClient&) = delete;

    // Records where the service is and connects. Returns whether it did.
    virtual bool start(const char* host, int port);

    // Reads the current objects named in the request. The reply belongs to
    // the client and stays valid until the next get; null on any failure.
    virtual cObjectList* get(cObjectList* request);

    // Writes one object; true when the service acknowledged and applied it.
    virtual bool set(cObject* object);

    // Bound of each connect, and of each request's send and receive
    // together; clamped to 1..MAX_TIMEOUT_MS.
    void setTimeout(int milliseconds);

    // Why the last start, get or set failed; empty after a success.
    const std::string& getLastError() const { return lastError; }

private:
    bool connect();
    // Sends `request` and reads the answer into `answer`; closes the
    // connection on any failure, since the stream can no longer be trusted.
    bool exchange(unsigned char expectedType, cObjectFrame& answer);

    std::string host;
    int port = 0;
    int timeoutMs = DEFAULT_TIMEOUT_MS;
    cObjectSocket socket;
    cObjectFrame request;
    cObjectFrame reply;  // of the last get; a set leaves it alone
    cObjectFrame ack;
    std::string buffer;  // reused for every frame sent and received
    std::string lastError;
};

#endif

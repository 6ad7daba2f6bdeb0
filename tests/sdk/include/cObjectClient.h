#ifndef OVTOBJ_COBJECTCLIENT_H
#define OVTOBJ_COBJECTCLIENT_H

class cObject;
class cObjectList;

/*
 * The client of the object service. get() answers a request list with the
 * service's current objects; the answer belongs to the client and stays
 * valid until the next get(). Null means the service did not answer.
 */
class cObjectClient {
public:
    cObjectClient();
    ~cObjectClient();

    // 0 when the address was taken.
    int start(const char* host, int port);
    cObjectList* get(cObjectList* request);
    // 0 when the service applied the object.
    int set(cObject* obj);

private:
    struct sSession;

    cObjectClient(const cObjectClient&) = delete;
    cObjectClient& operator=(const cObjectClient&) = delete;

    sSession* session;
};

#endif

// Our own object library: its frame bound and its reasons.
#include "ObjectLibrary.h"

std::string ObjectLibrary::unsendable(cObjectList& request) {
    std::string why;
    return cObjectClient::fitsInAFrame(request, why) ? std::string() : why;
}

std::string ObjectLibrary::lastFailure(cObjectClient& client) {
    return client.getLastError();
}

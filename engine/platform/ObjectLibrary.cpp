// A controller's own object library: no frame bound known, no reasons.
#include "ObjectLibrary.h"

std::string ObjectLibrary::unsendable(cObjectList& /*request*/) {
    return std::string();
}

std::string ObjectLibrary::lastFailure(cObjectClient& /*client*/) {
    return "no response (the controller's object library gives no reason)";
}

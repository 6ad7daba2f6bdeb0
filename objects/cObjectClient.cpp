#include "cObjectClient.h"

// Placeholder until the wire protocol lands: every request fails.
cObjectClient::cObjectClient() = default;
cObjectClient::~cObjectClient() = default;
bool cObjectClient::start(const char* /*host*/, int /*port*/) { return false; }
cObjectList* cObjectClient::get(cObjectList* /*request*/) { return nullptr; }
bool cObjectClient::set(cObject* /*object*/) { return false; }

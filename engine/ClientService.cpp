// Our own object library: its frame bound and its reasons.
#include "ClientService.h"

#include "ObjectCodes.h"

// The engine's codes by value are our library's named ones.
static_assert(object_codes::kDigitalInput == cObject::TYPE_DIGITAL_INPUT);
static_assert(object_codes::kDigitalOutput == cObject::TYPE_DIGITAL_OUTPUT);
static_assert(object_codes::kAnalogInput == cObject::TYPE_ANALOG_INPUT);
static_assert(object_codes::kStatusCleared == cObject::STATUS_CLEARED);
static_assert(object_codes::kAlarmSet == cObject::STATUS_ALARM_SET);
static_assert(object_codes::kAlarmClear == cObject::STATUS_ALARM_CLEAR);
static_assert(object_codes::kStateNone == cObject::IOSTATE_NONE);
static_assert(object_codes::kHigh == cObject::IOSTATE_HIGH);
static_assert(object_codes::kLow == cObject::IOSTATE_LOW);

std::string ClientService::unsendable(cObjectList& request) {
    std::string why;
    return cObjectClient::fitsInAFrame(request, why) ? std::string() : why;
}

std::string ClientService::lastFailure() const {
    return client.getLastError();
}

void ClientService::start(const char* host, int port) {
    client.start(host, port);
}

cObjectList* ClientService::get(cObjectList* request) {
    return client.get(request);
}

// Our library's write waits for the service's acknowledgement; one that
// never came leaves the write's fate to the next answer.
ObjectService::Write ClientService::set(cObject* object) {
    if (client.set(object)) {
        return Write::APPLIED;
    }
    return client.lastWriteUnanswered() ? Write::UNACKNOWLEDGED : Write::REFUSED;
}

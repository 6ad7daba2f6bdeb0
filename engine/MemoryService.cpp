#include "MemoryService.h"

#include <utility>

#include "ObjectCodes.h"
#include "cObjectAInput.h"
#include "cObjectDInput.h"
#include "cObjectDOutput.h"

MemoryService::MemoryService() = default;

MemoryService::~MemoryService() = default;

void MemoryService::answer(std::unique_ptr<cObject> object) {
    objects.push_back(std::move(object));
    reply.reset();
}

void MemoryService::digitalInput(const char* label, unsigned int serial,
                                 cObject::eObjectStatus status) {
    auto input = std::make_unique<cObjectDInput>();
    input->setPortLabel(label);
    input->setDeviceSerial(serial);
    input->setPortStatus(status);
    answer(std::move(input));
}

void MemoryService::analogInput(const char* label, unsigned int serial, float value) {
    auto input = std::make_unique<cObjectAInput>();
    input->setPortLabel(label);
    input->setDeviceSerial(serial);
    input->setCalculatedValue(value);
    answer(std::move(input));
}

void MemoryService::digitalOutput(const char* label, unsigned int serial, unsigned int portId,
                                  cObject::eObjectIOState state,
                                  cObject::eObjectIOState defaultState) {
    auto output = std::make_unique<cObjectDOutput>();
    output->setPortLabel(label);
    output->setDeviceSerial(serial);
    output->setPortId(portId);
    output->setOutputState(state);
    output->setDefaultState(defaultState);
    answer(std::move(output));
}

void MemoryService::forgetAnswers() {
    objects.clear();
    reply.reset();
}

void MemoryService::start(const char* /*host*/, int /*port*/) {}

cObjectList* MemoryService::get(cObjectList* /*request*/) {
    ++readCount;
    if (!answers) {
        return nullptr;
    }
    if (!reply) {
        reply = std::make_unique<cObjectList>();
        for (const std::unique_ptr<cObject>& object : objects) {
            reply->add(object.get());
        }
    }
    return reply.get();
}

// A write that may have taken moves the outputs it names, as a service
// would: the next read shows them in the state written.
ObjectService::Write MemoryService::set(cObject* object) {
    ++writeCount;
    if (writeOutcome != Write::REFUSED && object->getType() == object_codes::kDigitalOutput) {
        auto* written = static_cast<cObjectDOutput*>(object);
        for (const std::unique_ptr<cObject>& answered : objects) {
            if (answered->getType() != object_codes::kDigitalOutput) {
                continue;
            }
            auto* port = static_cast<cObjectDOutput*>(answered.get());
            if (port->getDeviceSerial() == written->getDeviceSerial() &&
                port->getPortId() == written->getPortId()) {
                port->setOutputState(written->getOutputState());
            }
        }
    }
    return writeOutcome;
}

#ifndef TARWENDLE_TESTS_ENGINE_FAKEOBJECTCLIENT_H
#define TARWENDLE_TESTS_ENGINE_FAKEOBJECTCLIENT_H

#include <memory>
#include <string>
#include <vector>

#include "cObjectAInput.h"
#include "cObjectClient.h"
#include "cObjectDInput.h"
#include "cObjectDOutput.h"

/*
 * An object service in memory: records every request and write, and answers
 * each read with copies of the objects a test put into `reply` (or with no
 * response at all).
 */
class FakeObjectClient : public cObjectClient {
public:
    struct Requested {
        int type;
        std::string label;
        unsigned int serial;
        int status;
        bool operator==(const Requested& o) const {
            return type == o.type && label == o.label && serial == o.serial && status == o.status;
        }
    };
    struct Written {
        unsigned int serial;
        unsigned int portId;
        int outputState;
        int defaultState;
        std::string label;
        bool operator==(const Written& o) const {
            return serial == o.serial && portId == o.portId && outputState == o.outputState &&
                   defaultState == o.defaultState && label == o.label;
        }
    };

    bool answers = true;
    std::vector<std::unique_ptr<cObject>> reply;
    std::vector<Requested> requested;
    int requestType = -1;
    std::vector<Written> written;

    bool start(const char* /*host*/, int /*port*/) override { return true; }

    cObjectList* get(cObjectList* request) override {
        requestType = request->getMsgType();
        requested.clear();
        for (cObject* o = request->first(); o != nullptr; o = request->next()) {
            auto* port = static_cast<cObjectPort*>(o);
            requested.push_back({o->getType(), port->getPortLabel(), port->getDeviceSerial(),
                                 port->getPortStatus()});
        }
        if (!answers) {
            return nullptr;
        }
        response.clear();
        for (const std::unique_ptr<cObject>& o : reply) {
            response.adopt(std::unique_ptr<cObject>(o->clone()));
        }
        return &response;
    }

    bool set(cObject* object) override {
        auto* out = static_cast<cObjectDOutput*>(object);
        written.push_back({out->getDeviceSerial(), out->getPortId(), out->getOutputState(),
                           out->getDefaultState(), out->getPortLabel()});
        return true;
    }

    // Reply helpers.
    void digitalInput(const char* label, unsigned int serial, cObject::eObjectStatus status) {
        auto input = std::make_unique<cObjectDInput>();
        input->setPortLabel(label);
        input->setDeviceSerial(serial);
        input->setPortStatus(status);
        reply.push_back(std::move(input));
    }
    void analogInput(const char* label, unsigned int serial, float value) {
        auto input = std::make_unique<cObjectAInput>();
        input->setPortLabel(label);
        input->setDeviceSerial(serial);
        input->setCalculatedValue(value);
        reply.push_back(std::move(input));
    }
    void digitalOutput(const char* label, unsigned int portId, cObject::eObjectIOState state,
                       cObject::eObjectIOState defaultState) {
        auto output = std::make_unique<cObjectDOutput>();
        output->setPortLabel(label);
        output->setDeviceSerial(0xa1);
        output->setPortId(portId);
        output->setOutputState(state);
        output->setDefaultState(defaultState);
        reply.push_back(std::move(output));
    }

private:
    cObjectList response;
};

#endif

#include "ServiceProbe.h"

#include <string>

#include "ClientService.h"
#include "EngineSettings.h"
#include "EntryPath.h"
#include "ObjectCodes.h"
#include "PortKey.h"
#include "RuleWords.h"
#include "cObjectAInput.h"
#include "cObjectDInput.h"
#include "cObjectDOutput.h"
#include "cObjectList.h"

namespace {

std::string describe(cObject& object) {
    switch (object.getType()) {
        case object_codes::kDigitalInput:
            return RuleWords::alarm(static_cast<cObjectDInput&>(object).getPortStatus(),
                                    "no alarm status");
        case object_codes::kAnalogInput:
            return "value " +
                   RuleWords::level(static_cast<cObjectAInput&>(object).getCalculatedValue());
        default: {
            auto& output = static_cast<cObjectDOutput&>(object);
            return std::string("output ") + RuleWords::ioState(output.getOutputState()) +
                   ", resting " + RuleWords::ioState(output.getDefaultState()) + ", port id " +
                   std::to_string(output.getPortId());
        }
    }
}

}  // namespace

cObject* ServiceProbe::answerFor(cObjectList& response, int type, cObjectPort& port) {
    for (cObject* object = response.first(); object != nullptr; object = response.next()) {
        // Only an object of a port's type may be taken for a port: one of an
        // unknown type is a bare object.
        if (object->getType() == type &&
            PortKey::of(*static_cast<cObjectPort*>(object)) == PortKey::of(port)) {
            return object;
        }
    }
    return nullptr;
}

bool ServiceProbe::probe(ConfigCheck& check, const char* host, int port, std::ostream& out) {
    WendleEngine& engine = *check.getEngine();
    cObjectList request;
    request.setMsgType(engine_settings::kReadObjects);
    engine.listPorts(request);

    ClientService service;
    out << "Probe of the object service at " << host << ":" << port << ":\n";
    service.start(host, port);
    cObjectList* response = service.get(&request);
    if (response == nullptr) {
        out << "  cannot read from it: " << service.lastFailure() << "\n";
        return false;
    }

    bool all = true;
    auto report = [&](const std::string& path, int type, cObjectPort& wanted) {
        cObject* answer = answerFor(*response, type, wanted);
        out << "  " << path << ": " << RuleWords::port(wanted) << ": "
            << (answer != nullptr ? describe(*answer) : NOT_ANSWERED) << "\n";
        all = all && answer != nullptr;
    };
    for (const ConfigCheck::Record* trigger :
         check.built({ConfigCheck::Kind::DIGITAL, ConfigCheck::Kind::ANALOG})) {
        report(trigger->path, trigger->port->getType(), *trigger->port);
    }
    report(EntryPath::rooted(RuleText::OUTPUT), object_codes::kDigitalOutput, engine.getOutput());
    return all;
}

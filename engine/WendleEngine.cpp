/*
 * The engine: built once from the IO-data section, then one poll every 22
 * seconds for the life of the process. A poll asks the object service for
 * every watched input and the output, hands each answer to the rules that
 * watch it, decides, and writes the output back.
 */
#include "WendleEngine.h"

#include <unistd.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "ClientService.h"
#include "EngineSettings.h"
#include "LocalTime.h"
#include "ObjectCodes.h"
#include "ObjectLibrary.h"

WendleEngine* WendleEngine::_WendleEngine = nullptr;

namespace {

// Where an entry sits in its section, as a build listener is told.
std::string entryPath(const char* name, const nlohmann::json& container,
                      const nlohmann::json::iterator& entry, std::size_t index) {
    if (container.is_array()) {
        return std::string(name) + "[" + std::to_string(index) + "]";
    }
    if (container.is_object()) {
        return std::string(name) + "." + entry.key();
    }
    return name;
}

// Told nothing: the service builds its engine without a listener.
class Unheard : public WendleEngine::BuildListener {
public:
    void building(const std::string& /*path*/, const nlohmann::json& /*entry*/) override {}
    void built(const std::string& /*path*/, WendleEngine::DigitalTrigger& /*t*/) override {}
    void built(const std::string& /*path*/, WendleEngine::AnalogTrigger& /*t*/) override {}
    void built(const std::string& /*path*/, const WendleEngine::TimeLimit& /*limit*/,
               bool /*mustrun*/) override {}
    void skipped(const std::string& /*path*/) override {}
};

}  // namespace

/*
 * Construction. Every entry is logged before it is built, so that the log
 * shows which entry a configuration error came from. Any error leaves here
 * unchanged; what was built so far is released with the members.
 */
WendleEngine::WendleEngine(nlohmann::json section, BuildListener* listener)
    : cWlog2("WendleEngine"), clock([] { return std::time(nullptr); }) {
    Unheard nobody;
    BuildListener& told = listener != nullptr ? *listener : nobody;

    told.building("output", section["output"]);
    output.parse(section["output"]);

    nlohmann::json& triggers = section["triggers"];
    if (!triggers.is_null()) {
        log << "Found some triggers..." << triggers.size() << " of them" << std::endl;
        std::size_t index = 0;
        for (auto it = triggers.begin(); it != triggers.end(); ++it, ++index) {
            nlohmann::json& entry = *it;
            const std::string path = entryPath("triggers", triggers, it, index);
            told.building(path, entry);
            log << entry.dump() << std::endl;
            if (entry["type"] == "digital") {
                log << "Digital" << std::endl;
                digital_triggers.push_back(std::make_unique<DigitalTrigger>(entry));
                digital_index.add(digital_triggers.back().get());
                told.built(path, *digital_triggers.back());
            } else if (entry["type"] == "analog") {
                log << "Analog" << std::endl;
                analog_triggers.push_back(std::make_unique<AnalogTrigger>(entry));
                analog_index.add(analog_triggers.back().get());
                told.built(path, *analog_triggers.back());
            } else {
                told.skipped(path);
            }
        }

        nlohmann::json& limits = section["timelimits"];
        if (!limits.is_null()) {
            index = 0;
            for (auto it = limits.begin(); it != limits.end(); ++it, ++index) {
                nlohmann::json& entry = *it;
                const std::string path = entryPath("timelimits", limits, it, index);
                told.building(path, entry);
                log << entry.dump() << std::endl;
                const std::string mustrun = entry["mustrun"].get<std::string>();
                TimeLimit limit(entry);
                told.built(path, limit, mustrun == "true");
                if (mustrun == "true") {
                    mustrun_limits.push_back(std::move(limit));
                } else {
                    exclude_limits.push_back(std::move(limit));
                }
            }
        }
    }

    client = std::make_unique<ClientService>(std::make_unique<cObjectClient>());

    told.building("", section);
    requireSendableRequest();
}

/*
 * A request the object library could never send (over our protocol's frame
 * bound: a huge label, tens of thousands of triggers) would fail every poll
 * of a running service. Start-up is where that can still stop it, with a
 * reason.
 */
void WendleEngine::requireSendableRequest() {
    cObjectList probe;
    probe.setMsgType(engine_settings::kReadObjects);
    listPorts(probe);
    const std::string why = ObjectLibrary::unsendable(probe);
    if (!why.empty()) {
        throw std::length_error(why);
    }
}

// The order of update_ports, which builds its request itself so that it
// can trace each port and reset the digital ones on the way.
void WendleEngine::listPorts(cObjectList& list) {
    for (const std::unique_ptr<DigitalTrigger>& trigger : digital_triggers) {
        list.add(trigger.get());
    }
    for (const std::unique_ptr<AnalogTrigger>& trigger : analog_triggers) {
        list.add(trigger.get());
    }
    list.add(&output);
}

void WendleEngine::useClient(std::unique_ptr<cObjectClient> replacement) {
    client = std::make_unique<ClientService>(std::move(replacement));
}

void WendleEngine::useService(std::unique_ptr<ObjectService> replacement) {
    client = std::move(replacement);
}

void WendleEngine::useClock(std::function<std::time_t()> replacement) {
    clock = std::move(replacement);
}

void WendleEngine::start(nlohmann::json section) {
    if (_WendleEngine != nullptr) {
        return;
    }
    create(std::move(section))->run();
}

WendleEngine* WendleEngine::create(nlohmann::json section) {
    if (_WendleEngine == nullptr) {
        // Published only once complete: a failed start leaves no engine behind.
        auto engine = std::make_unique<WendleEngine>(std::move(section));
        _WendleEngine = engine.release();
    }
    return _WendleEngine;
}

void WendleEngine::run() {
    log << "Wendle Engine starting ..." << std::endl;
    log << "Output Port is: " << std::hex << output.getDeviceSerial() << ": '"
        << output.getPortLabel() << "'   " << std::endl;

    // An unreachable service shows up as polls without a response.
    client->start(engine_settings::kServiceHost, engine_settings::kServicePort);

    for (;;) {
        update_ports();
        for (int tick = 0; tick < engine_settings::kTicksBetweenPolls; ++tick) {
            sleep(engine_settings::kTickSeconds);
            debug << "tick.." << std::endl;
        }
    }
}

/*
 * One poll. The debug lines are formatted only when debug events are kept:
 * a controller normally runs at INFO, and a poll must stay cheap.
 */
void WendleEngine::update_ports() {
    tracing = debug.isEnabled();

    cObjectList request;
    request.setMsgType(engine_settings::kReadObjects);

    if (tracing) {
        debug << digital_triggers.size() << " Digital Triggers " << std::endl;
        debug << analog_triggers.size() << " Analog Triggers " << std::endl;
    }
    for (const std::unique_ptr<DigitalTrigger>& trigger : digital_triggers) {
        if (tracing) {
            debug << "Adding Digital Trigger " << std::endl;
            debug << "Port Label: " << trigger->getPortLabel() << " " << std::endl;
            debug << "DeviceID: " << trigger->getDeviceSerial() << " " << std::endl;
        }
        // A digital input the response leaves out counts as unreported.
        trigger->setPortStatus(object_codes::kStatusCleared);
        request.add(trigger.get());
    }
    for (const std::unique_ptr<AnalogTrigger>& trigger : analog_triggers) {
        if (tracing) {
            debug << "Adding Analog Trigger" << std::endl;
        }
        request.add(trigger.get());
    }
    request.add(&output);

    cObjectList* response = client->get(&request);
    if (response == nullptr) {
        log << "Bad response" << std::endl;
        return;
    }

    if (tracing) {
        debug << "Got " << response->numObjects() << " Response Objects " << std::endl;
    }
    analog_index.rewind();
    digital_index.rewind();
    for (cObject* object = response->first(); object != nullptr; object = response->next()) {
        switch (object->getType()) {
            case object_codes::kDigitalOutput: {
                // Every digital output in a response is taken: the last one wins.
                auto* port = static_cast<cObjectDOutput*>(object);
                if (tracing) {
                    debug << "Got Digital Output " << std::endl;
                    debug << "Port Number: " << port->getPortId() << " " << std::endl;
                    debug << "Port Label:" << port->getPortLabel() << " " << std::endl;
                }
                output.setOutputState(port->getOutputState());
                output.setDefaultState(port->getDefaultState());
                output.setPortId(port->getPortId());
                break;
            }
            case object_codes::kAnalogInput:
                if (tracing) {
                    debug << "Got Analog input" << std::endl;
                }
                update_trigger(static_cast<cObjectAInput*>(object));
                break;
            case object_codes::kDigitalInput:
                if (tracing) {
                    debug << "Got Digital Input " << std::endl;
                }
                update_trigger(static_cast<cObjectDInput*>(object));
                break;
            default:
                log << "We don't handle this type" << std::endl;
                break;
        }
    }

    update_output();
}

// Every analog trigger on this input takes its value.
void WendleEngine::update_trigger(cObjectAInput* input) {
    for (AnalogTrigger* trigger :
         analog_index.find(input->getDeviceSerial(), input->getPortLabel())) {
        trigger->setCalculatedValue(input->getCalculatedValue());
        if (tracing) {
            debug << "Setting " << trigger->getDeviceSerial() << ":" << trigger->getPortLabel()
                  << " to " << trigger->getCalculatedValue() << " " << std::endl;
        }
    }
}

// Every digital trigger on this input takes its alarm status.
void WendleEngine::update_trigger(cObjectDInput* input) {
    for (DigitalTrigger* trigger :
         digital_index.find(input->getDeviceSerial(), input->getPortLabel())) {
        trigger->setPortStatus(input->getPortStatus());
        if (tracing) {
            debug << "Setting " << trigger->getDeviceSerial() << ":" << trigger->getPortLabel()
                  << " to "
                  << (trigger->getPortStatus() == object_codes::kAlarmSet ? "ALARM_SET"
                                                                          : "ALARM_CLEAR")
                  << " " << std::endl;
        }
    }
}

/*
 * The decision: any trigger asking for release releases; an active must-run
 * window releases whatever the triggers say; an active exclude window
 * inhibits whatever else holds. Every rule is asked, every window logged.
 */
void WendleEngine::update_output() {
    bool release = false;

    for (const std::unique_ptr<AnalogTrigger>& trigger : analog_triggers) {
        if (trigger->shouldRelease()) {
            release = true;
        }
    }
    for (const std::unique_ptr<DigitalTrigger>& trigger : digital_triggers) {
        if (trigger->shouldRelease()) {
            release = true;
        }
    }

    // One reading of the clock for the whole poll: every window is judged
    // at the same minute.
    release = decide(release, LocalTime::of(clock()));

    if (release) {
        debug << "Release Output " << std::endl;
        output.Release();
    } else {
        debug << "Inhibit Output " << std::endl;
        output.Inhibit();
    }

    cObjectDOutput message;
    message.setDeviceSerial(output.getDeviceSerial());
    message.setPortId(output.getPortId());
    if (output.getOutputState() == object_codes::kHigh) {
        debug << "Setting Output to HIGH " << std::endl;
    } else if (output.getOutputState() == object_codes::kLow) {
        debug << "Setting Output to LOW " << std::endl;
    }
    message.setOutputState(output.getOutputState());
    message.setDefaultState(object_codes::kStateNone);
    client->set(&message);
}

// A must-run window overrides the triggers, an exclude window everything.
bool WendleEngine::decide(bool triggersRelease, const std::tm& now) {
    bool release = triggersRelease;
    askWindows(mustrun_limits, now, "Include Trigger", true, release);
    askWindows(exclude_limits, now, "Exclude Trigger", false, release);
    return release;
}

// Asks every window of one list, in order, and logs its answer; an active
// window sets the decision to `verdict`.
void WendleEngine::askWindows(const std::vector<TimeLimit>& limits, const std::tm& now,
                              const char* heading, bool verdict, bool& release) {
    for (const TimeLimit& limit : limits) {
        debug << heading << std::endl;
        if (limit.isInRange(now)) {
            debug << "Time within range" << std::endl;
            release = verdict;
        } else {
            debug << "Time out of range" << std::endl;
        }
    }
}

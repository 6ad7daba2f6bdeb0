/*
 * The engine: built once from the IO-data section, then one poll every 22
 * seconds for the life of the process. A poll asks the object service for
 * every watched input and the output, hands each answer to the rules that
 * watch it, decides, and writes the output back.
 */
#include "WendleEngine.h"

#include <unistd.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "ClientService.h"
#include "EngineSettings.h"
#include "EntryPath.h"
#include "LocalTime.h"
#include "ObjectCodes.h"
#include "ObjectLibrary.h"
#include "PortKey.h"
#include "PortLabel.h"
#include "RuleWords.h"
#include "cPeerText.h"

WendleEngine* WendleEngine::_WendleEngine = nullptr;

namespace {

using Kind = WendleEngine::BuildRecord::Kind;

// Keeps the caller's build record, if any, entry by entry.
class Recorder {
public:
    explicit Recorder(std::vector<WendleEngine::BuildRecord>* into) : into(into) {}

    // About to build `entry`: an error from here on is its.
    void building(std::string path, const nlohmann::json& entry, Kind kind) {
        if (into != nullptr) {
            into->emplace_back();
            into->back().path = std::move(path);
            into->back().entry = entry;
            into->back().kind = kind;
        }
    }
    void buildingAs(Kind kind) {
        if (into != nullptr) {
            into->back().kind = kind;
        }
    }
    // Built: the port, the window, or nothing for a skipped entry.
    void built(cObjectPort* port = nullptr) {
        if (into != nullptr) {
            into->back().built = true;
            into->back().port = port;
        }
    }
    void built(const WendleEngine::TimeLimit& window, bool mustrun) {
        if (into != nullptr) {
            into->back().window = window;
            into->back().mustrun = mustrun;
            built();
        }
    }

private:
    std::vector<WendleEngine::BuildRecord>* into;
};

}  // namespace

/*
 * Construction. Every entry is logged before it is built, so that the log
 * shows which entry a configuration error came from. Any error leaves here
 * unchanged; what was built so far is released with the members.
 */
WendleEngine::WendleEngine(nlohmann::json section, std::vector<BuildRecord>* record)
    : cWlog2("WendleEngine"), clock([] { return std::time(nullptr); }) {
    Recorder told(record);

    told.building("output", section["output"], Kind::OUTPUT);
    output.parse(section[RuleText::OUTPUT]);
    told.built(&output);

    nlohmann::json& triggers = section[RuleText::TRIGGERS];
    if (!triggers.is_null()) {
        log << "Found some triggers..." << triggers.size() << " of them" << std::endl;
        std::size_t index = 0;
        for (auto it = triggers.begin(); it != triggers.end(); ++it, ++index) {
            nlohmann::json& entry = *it;
            const std::string path = EntryPath::element("triggers", triggers, it, index);
            // Skipped unless its type says otherwise; the type's test may throw.
            told.building(path, entry, Kind::SKIPPED);
            log << entry.dump() << std::endl;
            if (entry[RuleText::TYPE] == RuleText::DIGITAL) {
                told.buildingAs(Kind::DIGITAL);
                log << "Digital" << std::endl;
                digital_triggers.push_back(std::make_unique<DigitalTrigger>(entry));
                digital_index.add(digital_triggers.back().get());
                paths.digital.push_back(EntryPath::rooted(path));
                told.built(digital_triggers.back().get());
            } else if (entry[RuleText::TYPE] == RuleText::ANALOG) {
                told.buildingAs(Kind::ANALOG);
                log << "Analog" << std::endl;
                analog_triggers.push_back(std::make_unique<AnalogTrigger>(entry));
                analog_index.add(analog_triggers.back().get());
                paths.analog.push_back(EntryPath::rooted(path));
                told.built(analog_triggers.back().get());
            } else {
                told.built();
            }
        }

        nlohmann::json& limits = section[RuleText::TIMELIMITS];
        if (!limits.is_null()) {
            index = 0;
            for (auto it = limits.begin(); it != limits.end(); ++it, ++index) {
                nlohmann::json& entry = *it;
                const std::string path = EntryPath::element("timelimits", limits, it, index);
                told.building(path, entry, Kind::WINDOW);
                log << entry.dump() << std::endl;
                const RuleText::Fields fields = RuleText::read(entry, RuleText::windowKeys());
                TimeLimit limit(fields);
                const bool mustrun = fields.mustrun == "true";
                told.built(limit, mustrun);
                if (mustrun) {
                    mustrun_limits.push_back(std::move(limit));
                    paths.mustrun.push_back(EntryPath::rooted(path));
                } else {
                    exclude_limits.push_back(std::move(limit));
                    paths.exclude.push_back(EntryPath::rooted(path));
                }
            }
        }
    }

    client = std::make_unique<ClientService>(std::make_unique<cObjectClient>());
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
        << PortLabel::of(output) << "'   " << std::endl;

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
 * One poll. Its debug lines, the decision's included, are formatted only
 * when debug events are kept: a controller normally runs at INFO, and a
 * poll must stay cheap.
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
            debug << "Port Label: " << PortLabel::of(*trigger) << " " << std::endl;
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
    // What the answer says of our own output, for the switching history.
    std::optional<cObject::eObjectIOState> reported;
    for (cObject* object = response->first(); object != nullptr; object = response->next()) {
        switch (object->getType()) {
            case object_codes::kDigitalOutput: {
                // Every digital output in a response is taken: the last one wins.
                auto* port = static_cast<cObjectDOutput*>(object);
                if (tracing) {
                    debug << "Got Digital Output " << std::endl;
                    debug << "Port Number: " << port->getPortId() << " " << std::endl;
                    debug << "Port Label:" << cPeerText::bounded(PortLabel::of(*port)) << " "
                          << std::endl;
                }
                output.setOutputState(port->getOutputState());
                output.setDefaultState(port->getDefaultState());
                output.setPortId(port->getPortId());
                if (PortKey::of(output) == PortKey::of(*port)) {
                    reported = port->getOutputState();
                }
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
    if (reported) {
        history.observed(*reported);
    }

    update_output();
}

// Every analog trigger on this input takes its value.
void WendleEngine::update_trigger(cObjectAInput* input) {
    for (AnalogTrigger* trigger :
         analog_index.find(input->getDeviceSerial(), PortLabel::of(*input))) {
        trigger->setCalculatedValue(input->getCalculatedValue());
        if (tracing) {
            debug << "Setting " << trigger->getDeviceSerial() << ":" << PortLabel::of(*trigger)
                  << " to " << trigger->getCalculatedValue() << " " << std::endl;
        }
    }
}

// Every digital trigger on this input takes its alarm status.
void WendleEngine::update_trigger(cObjectDInput* input) {
    for (DigitalTrigger* trigger :
         digital_index.find(input->getDeviceSerial(), PortLabel::of(*input))) {
        trigger->setPortStatus(input->getPortStatus());
        if (tracing) {
            debug << "Setting " << trigger->getDeviceSerial() << ":" << PortLabel::of(*trigger)
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
    const std::tm now = LocalTime::of(clock());
    release = decide(release, now);

    if (release) {
        output.Release();
    } else {
        output.Inhibit();
    }
    if (tracing) {
        debug << (release ? "Release Output " : "Inhibit Output ") << std::endl;
    }

    cObjectDOutput message;
    message.setDeviceSerial(output.getDeviceSerial());
    message.setPortId(output.getPortId());
    if (tracing && output.getOutputState() == object_codes::kHigh) {
        debug << "Setting Output to HIGH " << std::endl;
    } else if (tracing && output.getOutputState() == object_codes::kLow) {
        debug << "Setting Output to LOW " << std::endl;
    }
    message.setOutputState(output.getOutputState());
    message.setDefaultState(object_codes::kStateNone);
    const ObjectService::Write outcome = client->set(&message);

    // The history tells only a write that took; the sentence is made only
    // when it will be told or kept.
    const cObject::eObjectIOState state = output.getOutputState();
    history.wrote(
        state, outcome,
        history.wants(state, outcome)
            ? SwitchHistory::sentence(RuleWords::port(output), state, release, causes(release, now))
            : std::string());
}

// A must-run window overrides the triggers, an exclude window everything.
bool WendleEngine::decide(bool triggersRelease, const std::tm& now) {
    // Asked outside a poll too (a week's plan), so it looks again.
    tracing = debug.isEnabled();
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
        const bool inRange = limit.isInRange(now);
        if (inRange) {
            release = verdict;
        }
        if (tracing) {
            debug << heading << std::endl;
            debug << (inRange ? "Time within range" : "Time out of range") << std::endl;
        }
    }
}

/*
 * Who decided: every rule that asks for release, in the decision's order
 * (analog triggers, digital triggers, must-run windows), made a release; an
 * active exclude window made an inhibit over them. Asked only when the
 * history tells a change, so it may take its time.
 */
SwitchHistory::Causes WendleEngine::causes(bool release, const std::tm& now) {
    std::vector<std::string> asking;
    for (std::size_t i = 0; i < analog_triggers.size(); ++i) {
        if (analog_triggers[i]->shouldRelease()) {
            asking.push_back(paths.analog[i] + ": " + RuleWords::asking(*analog_triggers[i]));
        }
    }
    for (std::size_t i = 0; i < digital_triggers.size(); ++i) {
        if (digital_triggers[i]->shouldRelease()) {
            asking.push_back(paths.digital[i] + ": " + RuleWords::reading(*digital_triggers[i]));
        }
    }
    for (std::size_t i = 0; i < mustrun_limits.size(); ++i) {
        if (mustrun_limits[i].isInRange(now)) {
            asking.push_back(paths.mustrun[i] + ": " + RuleWords::window(mustrun_limits[i], true));
        }
    }
    SwitchHistory::Causes causes;
    if (release) {
        causes.by = std::move(asking);
        return causes;
    }
    for (std::size_t i = 0; i < exclude_limits.size(); ++i) {
        if (exclude_limits[i].isInRange(now)) {
            causes.by.push_back(paths.exclude[i] + ": " +
                                RuleWords::window(exclude_limits[i], false));
        }
    }
    causes.over = std::move(asking);
    return causes;
}

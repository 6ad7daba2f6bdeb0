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
#include "EntryPath.h"
#include "LocalTime.h"
#include "ObjectCodes.h"
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
            into->push_back({std::move(path), entry, kind});
        }
    }
    // The entry being built; one that is not kept when there is no record.
    WendleEngine::BuildRecord& last() { return into != nullptr ? into->back() : unkept; }
    // Built: the port, the window, or nothing for a skipped entry.
    void built(cObjectPort* port, const WendleEngine::TimeLimit* window = nullptr,
               bool mustrun = false) {
        last().built = true;
        last().port = port;
        last().window = window;
        last().mustrun = mustrun;
    }

private:
    std::vector<WendleEngine::BuildRecord>* into;
    WendleEngine::BuildRecord unkept;
};

// A trigger built from a copy of `entry`, kept in its list and index.
template <typename Trigger>
Trigger* added(const nlohmann::json& entry, const std::string& path,
               std::vector<std::unique_ptr<Trigger>>& list, PortIndex<Trigger>& index) {
    list.push_back(std::make_unique<Trigger>(entry));
    list.back()->path = path;
    index.add(list.back().get());
    return list.back().get();
}

// Every entry of a list as the engine iterates a JSON value (an array's
// elements, an object's members, a lone value once), recorded and logged
// before `build` builds it.
template <typename Build>
void eachEntry(nlohmann::json& list, const char* name, Kind kind, Recorder& told, std::ostream& log,
               Build build) {
    std::size_t index = 0;
    for (auto it = list.begin(); it != list.end(); ++it, ++index) {
        const std::string path = EntryPath::rooted(EntryPath::element(name, list, it, index));
        told.building(path, *it, kind);
        log << it->dump() << std::endl;
        build(*it, path);
    }
}

}  // namespace

/*
 * Construction. Every entry is logged before it is built, so that the log
 * shows which entry a configuration error came from. Any error leaves here
 * unchanged; what was built so far is released with the members.
 */
WendleEngine::WendleEngine(nlohmann::json section, std::vector<BuildRecord>* record)
    : cWlog2("WendleEngine"), clock([] { return std::time(nullptr); }) {
    Recorder told(record);

    told.building(EntryPath::rooted(RuleText::OUTPUT), section[RuleText::OUTPUT], Kind::OUTPUT);
    output.parse(section[RuleText::OUTPUT]);
    told.built(&output);

    nlohmann::json& triggers = section[RuleText::TRIGGERS];
    if (!triggers.is_null()) {
        log << "Found some triggers..." << triggers.size() << " of them" << std::endl;
        // Skipped unless its type says otherwise; the type's test may throw.
        eachEntry(triggers, RuleText::TRIGGERS, Kind::SKIPPED, told, log,
                  [&](nlohmann::json& entry, const std::string& path) {
                      if (entry[RuleText::TYPE] == RuleText::DIGITAL) {
                          told.last().kind = Kind::DIGITAL;
                          log << "Digital" << std::endl;
                          told.built(added(entry, path, digital_triggers, digital_index));
                      } else if (entry[RuleText::TYPE] == RuleText::ANALOG) {
                          told.last().kind = Kind::ANALOG;
                          log << "Analog" << std::endl;
                          told.built(added(entry, path, analog_triggers, analog_index));
                      } else {
                          told.built(nullptr);
                      }
                  });

        nlohmann::json& limits = section[RuleText::TIMELIMITS];
        if (!limits.is_null()) {
            // Reserved, as many as the walk meets: the build record points
            // into the lists.
            mustrun_limits.reserve(limits.size());
            exclude_limits.reserve(limits.size());
            eachEntry(limits, RuleText::TIMELIMITS, Kind::WINDOW, told, log,
                      [&](nlohmann::json& entry, const std::string& path) {
                          const RuleText::Fields fields =
                              RuleText::read(entry, RuleText::windowKeys());
                          const bool mustrun = fields.mustrun == "true";
                          std::vector<TimeLimit>& list = mustrun ? mustrun_limits : exclude_limits;
                          list.emplace_back(fields);
                          list.back().path = path;
                          told.built(nullptr, &list.back(), mustrun);
                      });
        }
    }

    client = std::make_unique<ClientService>();
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
    const std::string why = ClientService::unsendable(probe);
    if (!why.empty()) {
        throw std::length_error(why);
    }
}

// The one place that keeps the order of a poll's request.
void WendleEngine::listPorts(cObjectList& list) {
    for (const std::unique_ptr<DigitalTrigger>& trigger : digital_triggers) {
        list.add(trigger.get());
    }
    for (const std::unique_ptr<AnalogTrigger>& trigger : analog_triggers) {
        list.add(trigger.get());
    }
    list.add(&output);
}

void WendleEngine::useService(std::unique_ptr<ObjectService> replacement) {
    client = std::move(replacement);
}

void WendleEngine::useClock(std::function<std::time_t()> replacement) {
    clock = std::move(replacement);
}

void WendleEngine::useWatcher(Watcher* replacement) {
    watcher = replacement;
    if (watcher != nullptr) {
        history.useListener([this](const std::string& line) { watcher->told(line); });
    } else {
        history.useListener(nullptr);
    }
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
        if (watcher != nullptr) {
            watcher->polling();
        }
        update_ports();
        if (watcher != nullptr) {
            watcher->alive();
        }
        for (int tick = 0; tick < engine_settings::kTicksBetweenPolls; ++tick) {
            sleep(engine_settings::kTickSeconds);
            debug << "tick.." << std::endl;
            if (watcher != nullptr) {
                watcher->alive();
            }
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
    }
    for (std::size_t i = 0; tracing && i < analog_triggers.size(); ++i) {
        debug << "Adding Analog Trigger" << std::endl;
    }
    listPorts(request);

    cObjectList* response = client->get(&request);
    if (response == nullptr) {
        log << "Bad response" << std::endl;
        if (watcher != nullptr) {
            watcher->unanswered();
        }
        return;
    }

    if (tracing) {
        debug << "Got " << response->numObjects() << " Response Objects " << std::endl;
    }
    analog_index.rewind();
    digital_index.rewind();
    cObjectDOutput* lastOutput = nullptr;
    unsigned long unhandled = 0;
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
                history.observed(*port, port->getOutputState(),
                                 PortKey::of(output) == PortKey::of(*port)
                                     ? SwitchHistory::Seen::OUTPUT
                                     : SwitchHistory::Seen::OTHER);
                lastOutput = port;
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
                if (++unhandled <= engine_settings::kUnhandledTold) {
                    log << "We don't handle this type" << std::endl;
                }
                break;
        }
    }
    if (unhandled > engine_settings::kUnhandledTold) {
        // In words of its own: the stream keeps the hexadecimal base of the
        // start-up line.
        log << "We don't handle this type: "
            << std::to_string(unhandled - engine_settings::kUnhandledTold)
            << " more such objects in this answer" << std::endl;
    }
    if (lastOutput != nullptr) {
        aimAt(*lastOutput);
    }

    update_output();
}

/*
 * The write carries the configured output's device and the port id of the
 * answer's last output. When that output is another port, the write and
 * the history are that port's: on the same device, as the answer named it;
 * on another, an unknown port of ours known by its id.
 */
void WendleEngine::aimAt(cObjectDOutput& last) {
    writesOutput = PortKey::of(output) == PortKey::of(last);
    writtenWords.clear();
    if (writesOutput) {
        return;
    }
    const bool sameDevice = last.getDeviceSerial() == output.getDeviceSerial();
    writtenWords = RuleWords::port(sameDevice ? PortLabel::of(last) : "", output.getPortId(),
                                   output.getDeviceSerial());
    if (sameDevice) {
        // Its state before the write, so that the write's change is known.
        history.observed(last, last.getOutputState(), SwitchHistory::Seen::TARGET);
    }
}

std::string WendleEngine::writtenPort() {
    return writesOutput ? RuleWords::port(output) : writtenWords;
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
 * The decision, taken once: the output goes where it says, and the write
 * and the switching history tell that one value.
 */
void WendleEngine::update_output() {
    // One reading of the clock for the whole poll: every window is judged
    // at the same minute, and a late confirmation names it.
    const std::time_t now = clock();
    decision = decide(LocalTime::of(now));
    const bool release = decision.release;

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
    tellWrite(output.getOutputState(), client->set(&message), now);
}

// The history and the watcher hear of the write; the sentence is made only
// when it will be told or kept.
void WendleEngine::tellWrite(cObject::eObjectIOState state, ObjectService::Write outcome,
                             std::time_t sent) {
    const SwitchHistory::Target target{output.getDeviceSerial(), output.getPortId()};
    std::string sentence;
    if (history.wants(target, state, outcome)) {
        sentence =
            SwitchHistory::sentence(writtenPort(), state, decision.release, decision.causes());
    }
    history.wrote(target, state, outcome, std::move(sentence), sent);
    if (watcher != nullptr) {
        const bool failed = outcome == ObjectService::Write::REFUSED ||
                            outcome == ObjectService::Write::UNACKNOWLEDGED;
        watcher->answered(outcome, failed ? writtenPort() : std::string(), state, decision.release);
    }
}

/*
 * Any trigger asking for release releases, unless the windows force the
 * output (Decision::windows). Every rule is asked, every window logged.
 */
WendleEngine::Decision WendleEngine::decide(const std::tm& now) {
    // Asked outside a poll too (a week's plan), so it looks again.
    tracing = debug.isEnabled();
    Decision made;
    for (const std::unique_ptr<AnalogTrigger>& trigger : analog_triggers) {
        if (trigger->shouldRelease()) {
            made.analog.push_back(trigger.get());
        }
    }
    for (const std::unique_ptr<DigitalTrigger>& trigger : digital_triggers) {
        if (trigger->shouldRelease()) {
            made.digital.push_back(trigger.get());
        }
    }
    askWindows(mustrun_limits, now, "Include Trigger", made.mustrun);
    askWindows(exclude_limits, now, "Exclude Trigger", made.exclude);
    const Decision::Windows windows = made.windows();
    made.release = windows == Decision::Windows::TRIGGERS
                       ? !(made.analog.empty() && made.digital.empty())
                       : windows == Decision::Windows::RELEASE;
    return made;
}

// Asks every window of one list, in order, logs its answer and keeps the
// active ones.
void WendleEngine::askWindows(const std::vector<TimeLimit>& limits, const std::tm& now,
                              const char* heading, std::vector<const TimeLimit*>& active) {
    for (const TimeLimit& limit : limits) {
        const bool inRange = limit.isInRange(now);
        if (inRange) {
            active.push_back(&limit);
        }
        if (tracing) {
            debug << heading << std::endl;
            debug << (inRange ? "Time within range" : "Time out of range") << std::endl;
        }
    }
}

std::string WendleEngine::BuildRecord::words() const {
    switch (kind) {
        case Kind::WINDOW:
            return window->words(mustrun);
        case Kind::DIGITAL:
            return digital().condition();
        default:
            return analog().condition();
    }
}

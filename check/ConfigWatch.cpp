/*
 * The watch: the service's own poll, over and over, with a service that
 * reads and never writes. What an integrator needs from an hour or a day
 * of it is when the new rules would switch the relay and why, beside what
 * the relay does now; so a poll that changes nothing says nothing.
 */
#include "ConfigWatch.h"

#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <utility>

#include "EngineSettings.h"
#include "LocalTime.h"
#include "ObjectCodes.h"
#include "PortKey.h"
#include "RuleWords.h"
#include "ServiceProbe.h"
#include "SwitchHistory.h"
#include "cObjectDOutput.h"
#include "cPeerText.h"

namespace {

// A reason from the client is quoted whole up to this many bytes.
constexpr std::size_t kReasonBytes = 272;

volatile std::sig_atomic_t stopAsked = 0;

extern "C" void askStop(int /*signal*/) {
    stopAsked = 1;
}

std::string stamp(std::time_t instant) {
    const std::tm local = LocalTime::of(instant);
    char text[64];
    std::strftime(text, sizeof text, "%a %Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string times(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " time" : " times");
}

}  // namespace

/*
 * Reads for the poll and keeps, while the answer lives, which configured
 * ports it answered and the output's state in it. A write is dropped
 * unsent: as far as the engine knows, it was refused and changed nothing.
 */
class ConfigWatch::ReadOnly : public ObjectService {
public:
    ReadOnly(std::unique_ptr<ObjectService> inner, ConfigCheck& check)
        : inner(std::move(inner)), check(check) {}

    void start(const char* host, int port) override { inner->start(host, port); }

    cObjectList* get(cObjectList* request) override {
        cObjectList* response = inner->get(request);
        answered = response != nullptr;
        triggers.clear();
        output.reset();
        if (response == nullptr) {
            return nullptr;
        }
        for (const ConfigCheck::Record* trigger :
             check.built({ConfigCheck::Kind::DIGITAL, ConfigCheck::Kind::ANALOG})) {
            triggers.push_back(ServiceProbe::answerFor(*response, trigger->port->getType(),
                                                       *trigger->port) != nullptr);
        }
        cObject* answer = ServiceProbe::answerFor(*response, object_codes::kDigitalOutput,
                                                  check.getEngine()->getOutput());
        if (answer != nullptr) {
            output = static_cast<cObjectDOutput*>(answer)->getOutputState();
        }
        return response;
    }

    Write set(cObject* /*object*/) override { return Write::REFUSED; }

    std::string lastFailure() const override { return inner->lastFailure(); }

    bool answered = false;
    // Per trigger, in the order built: whether the answer holds its port.
    std::vector<bool> triggers;
    std::optional<cObject::eObjectIOState> output;

private:
    std::unique_ptr<ObjectService> inner;
    ConfigCheck& check;
};

ConfigWatch::ConfigWatch(ConfigCheck& check, std::unique_ptr<ObjectService> service,
                         std::ostream& out)
    : check(check), out(out) {
    WendleEngine& engine = *check.getEngine();
    auto readOnly = std::make_unique<ReadOnly>(std::move(service), check);
    reader = readOnly.get();
    engine.useService(std::move(readOnly));
    engine.useClock([this] { return clockNow; });
    reader->start(engine_settings::kServiceHost, engine_settings::kServicePort);
}

ConfigWatch::~ConfigWatch() = default;

/*
 * A signal only ends the wait between two polls: it is held while a poll
 * runs, so that a stop never turns the poll it lands in into a failed one.
 */
void ConfigWatch::run(unsigned int seconds, unsigned long limit) {
    struct sigaction stop {};
    stop.sa_handler = askStop;
    sigemptyset(&stop.sa_mask);
    struct sigaction formerInt {};
    struct sigaction formerTerm {};
    sigaction(SIGINT, &stop, &formerInt);
    sigaction(SIGTERM, &stop, &formerTerm);
    sigset_t held;
    sigset_t open;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigprocmask(SIG_BLOCK, &held, &open);
    sigdelset(&open, SIGINT);
    sigdelset(&open, SIGTERM);

    out << "Watching " << RuleWords::port(check.getEngine()->getOutput()) << " through "
        << engine_settings::kServiceHost << ":" << engine_settings::kServicePort
        << ", a poll every " << seconds << " s; nothing is written (Ctrl-C ends the watch)\n"
        << std::flush;
    stopAsked = 0;
    while (stopAsked == 0) {
        poll(std::time(nullptr));
        if (limit != 0 && polls >= limit) {
            break;
        }
        timespec wait{static_cast<std::time_t>(seconds), 0};
        ppoll(nullptr, 0, &wait, &open);
    }
    summary(out);
    out << std::flush;

    sigprocmask(SIG_UNBLOCK, &held, nullptr);
    sigaction(SIGINT, &formerInt, nullptr);
    sigaction(SIGTERM, &formerTerm, nullptr);
}

void ConfigWatch::poll(std::time_t now) {
    clockNow = now;
    if (polls++ == 0) {
        first = now;
    }
    last = now;
    check.getEngine()->update_ports();
    if (reader->answered) {
        answered(now);
    } else {
        ++failures;
        failedRead(now, reader->lastFailure());
    }
}

// Once per reason, until an answer comes.
void ConfigWatch::failedRead(std::time_t now, const std::string& why) {
    if (shownFailure == why) {
        return;
    }
    shownFailure = why;
    out << stamp(now) << "\n  cannot read from the object service"
        << (why.empty() ? "" : ": " + cPeerText::cut(why, kReasonBytes)) << "\n"
        << std::flush;
}

std::vector<std::string> ConfigWatch::ruleLines() {
    const WendleEngine::Decision& decision = check.getEngine()->decided();
    std::vector<std::string> lines;
    std::size_t index = 0;
    for (const ConfigCheck::Record* trigger :
         check.built({ConfigCheck::Kind::DIGITAL, ConfigCheck::Kind::ANALOG})) {
        const bool asks = decision.asked(trigger->port);
        std::string line = trigger->path + ": ";
        if (!reader->triggers[index++]) {
            line += RuleWords::port(*trigger->port) + ": " + ServiceProbe::NOT_ANSWERED;
        } else {
            line += trigger->kind == ConfigCheck::Kind::DIGITAL ? trigger->digital().reading()
                    : asks                                      ? trigger->analog().asking()
                                                                : trigger->analog().reading();
            line += asks ? ": asks for release" : ": does not ask for release";
        }
        lines.push_back(std::move(line));
    }
    for (const ConfigCheck::Record* window : check.built({ConfigCheck::Kind::WINDOW})) {
        lines.push_back(window->path + ": " + window->words() + ": " +
                        (decision.active(window->window) ? "active" : "not active"));
    }
    return lines;
}

/*
 * An answered poll: what the service would write, against the output as
 * answered. Had the configuration driven the output, it would have
 * switched whenever its decision left the state it last set (at first, the
 * state answered).
 */
void ConfigWatch::answered(std::time_t now) {
    WendleEngine& engine = *check.getEngine();
    const WendleEngine::Decision& decision = engine.decided();
    const cObject::eObjectIOState state = engine.getOutput().getOutputState();
    const std::string port = RuleWords::port(engine.getOutput());

    if (reader->output) {
        if (actual && *actual != *reader->output) {
            changes.push_back({now, *reader->output});
        }
        actual = reader->output;
        if (!driven) {
            driven = actual;
        }
    }
    if (driven && *driven != state) {
        switches.push_back({now, state});
    }
    driven = state;

    const std::vector<std::string> rules = ruleLines();
    const std::string decisionLine =
        SwitchHistory::sentence(port, state, decision.release, decision.causes());
    std::string outputLine;
    if (!reader->output) {
        outputLine = port + ": " + ServiceProbe::NOT_ANSWERED;
    } else if (*reader->output == state) {
        outputLine = "agrees with " + port + " (" + RuleWords::ioState(state) + ")";
    } else {
        outputLine = "would switch " + port + " from " + RuleWords::ioState(*reader->output) +
                     " to " + RuleWords::ioState(state);
    }

    const bool recovered = shownFailure.has_value();
    if (!recovered && rules == shownRules && decisionLine == shownDecision &&
        outputLine == shownOutput) {
        return;
    }
    out << stamp(now) << "\n";
    if (recovered) {
        out << "  the object service answers again\n";
    }
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (shownRules.empty() || rules[i] != shownRules[i]) {
            out << "  " << rules[i] << "\n";
        }
    }
    out << "  decision: " << decisionLine << "\n  output: " << outputLine << "\n" << std::flush;
    shownRules = rules;
    shownDecision = decisionLine;
    shownOutput = outputLine;
    shownFailure.reset();
}

void ConfigWatch::summary(std::ostream& to) const {
    const std::string port = RuleWords::port(check.getEngine()->getOutput());
    to << "Watched " << polls << (polls == 1 ? " poll" : " polls");
    if (polls != 0) {
        to << " from " << stamp(first) << " to " << stamp(last);
    }
    to << ", " << failures << " failed\n";
    auto list = [&](const std::vector<Event>& events) {
        to << times(events.size()) << (events.empty() ? "\n" : ":\n");
        for (const Event& event : events) {
            to << "  " << stamp(event.when) << " to " << RuleWords::ioState(event.state) << "\n";
        }
    };
    to << "The configuration would have switched " << port << " ";
    list(switches);
    to << port << " actually changed ";
    list(changes);
}

#include "MomentExplainer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "LocalTime.h"
#include "MemoryService.h"
#include "ObjectCodes.h"
#include "PortKey.h"
#include "PortLabel.h"
#include "RuleText.h"
#include "RuleWords.h"

namespace {

constexpr unsigned int kOutputPortId = 1;  // any: the engine only echoes it

// Whether `input` is a reading of that port.
bool sameInput(const MomentExplainer::Input& input, cObjectPort& port) {
    return PortKey{input.device, input.label} == PortKey::of(port);
}

}  // namespace

bool MomentExplainer::parseInput(const std::string& text, Input& input, std::string& why) {
    const std::string::size_type equals = text.rfind('=');
    const std::string::size_type at =
        equals == std::string::npos ? std::string::npos : text.rfind('@', equals);
    if (at == std::string::npos || at == 0 || at + 1 == equals) {
        why = "--input wants LABEL@DEVICE=STATE, not \"" + text + "\"";
        return false;
    }
    input.label = text.substr(0, at);
    input.device = RuleText::toDeviceId(text.substr(at + 1, equals - at - 1));
    static const std::map<std::string, Reading> kNamed{
        {"alarm", Reading::ALARM}, {"clear", Reading::CLEAR}, {"missing", Reading::MISSING}};
    const std::string state = text.substr(equals + 1);
    const auto named = kNamed.find(state);
    if (named != kNamed.end()) {
        input.reading = named->second;
        return true;
    }
    char* end = nullptr;
    input.value = std::strtof(state.c_str(), &end);
    if (state.empty() || *end != '\0') {
        why = "--input state must be alarm, clear, missing or a number, not \"" + state + "\"";
        return false;
    }
    input.reading = Reading::NUMBER;
    return true;
}

bool MomentExplainer::parseMoment(const std::string& text, std::time_t& instant, std::string& why) {
    std::tm local{};
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n", &local.tm_year, &local.tm_mon,
                    &local.tm_mday, &local.tm_hour, &local.tm_min, &used) != 5 ||
        used != static_cast<int>(text.size()) || local.tm_hour > 23 || local.tm_min > 59) {
        why = "--at wants \"YYYY-MM-DD HH:MM\", not \"" + text + "\"";
        return false;
    }
    local.tm_year -= 1900;
    local.tm_mon -= 1;
    local.tm_isdst = -1;
    const std::tm asked = local;
    instant = std::mktime(&local);
    // mktime moves a day that does not exist (30 February) into the next
    // month; a local time skipped by a clock change only by the change.
    if (instant == static_cast<std::time_t>(-1) || local.tm_mday != asked.tm_mday ||
        local.tm_mon != asked.tm_mon) {
        why = "--at: " + text + " is not a date";
        return false;
    }
    return true;
}

void MomentExplainer::explain(ConfigCheck& check, std::time_t at, const std::vector<Input>& inputs,
                              cObject::eObjectIOState resting, std::ostream& out) {
    WendleEngine& engine = *check.getEngine();
    auto service = std::make_unique<MemoryService>();
    MemoryService& answered = *service;  // lent: the engine owns it
    for (const Input& input : inputs) {
        if (input.reading == Reading::ALARM || input.reading == Reading::CLEAR) {
            answered.digitalInput(input.label.c_str(), input.device,
                                  input.reading == Reading::ALARM ? object_codes::kAlarmSet
                                                                  : object_codes::kAlarmClear);
        } else if (input.reading == Reading::NUMBER) {
            answered.analogInput(input.label.c_str(), input.device, input.value);
        }
    }
    answered.digitalOutput(PortLabel::of(engine.getOutput()), engine.getOutput().getDeviceSerial(),
                           kOutputPortId, resting, resting);

    engine.useService(std::move(service));
    engine.useClock([at] { return at; });
    engine.update_ports();

    const std::tm local = LocalTime::of(at);
    char when[64];
    std::strftime(when, sizeof when, "%a %Y-%m-%d %H:%M %Z", &local);
    out << "At " << when << ":\n";

    using Kind = ConfigCheck::Kind;
    const std::vector<const ConfigCheck::Record*> triggers =
        check.built({Kind::DIGITAL, Kind::ANALOG});
    for (const Input& input : inputs) {
        // A digital trigger takes an alarm status, an analog one a number;
        // either takes a missing reading.
        const Kind kind = input.reading == Reading::NUMBER ? Kind::ANALOG : Kind::DIGITAL;
        if (std::none_of(triggers.begin(), triggers.end(), [&](const ConfigCheck::Record* trigger) {
                return (trigger->kind == kind || input.reading == Reading::MISSING) &&
                       sameInput(input, *trigger->port);
            })) {
            out << "  note: no trigger of that kind watches " << input.label << " on device "
                << RuleWords::device(input.device) << "; the input changes nothing\n";
        }
    }

    const WendleEngine::Decision& decision = engine.decided();
    for (const ConfigCheck::Record* trigger : triggers) {
        out << "  " << trigger->path << ": ";
        if (trigger->kind == Kind::DIGITAL) {
            out << trigger->digital().reading();
        } else {
            const bool given = std::any_of(inputs.begin(), inputs.end(), [&](const Input& input) {
                return input.reading == Reading::NUMBER && sameInput(input, *trigger->port);
            });
            out << trigger->analog().reading()
                << (given ? "" : " (not reported: the value it had before)");
        }
        out << ": "
            << (decision.asked(trigger->port) ? "asks for release" : "does not ask for release")
            << "\n";
    }
    for (const ConfigCheck::Record* window : check.built({Kind::WINDOW})) {
        out << "  " << window->path << ": " << window->words() << ": "
            << (decision.active(window->window) ? "active" : "not active") << "\n";
    }

    out << "Result: " << (decision.release ? "release" : "inhibit") << ". With the resting state "
        << RuleWords::ioState(resting) << ", the service sends "
        << RuleWords::ioState(engine.getOutput().getOutputState()) << " to "
        << RuleWords::port(engine.getOutput()) << ".\n";
}

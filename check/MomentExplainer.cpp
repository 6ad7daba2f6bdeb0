#include "MomentExplainer.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "LocalTime.h"
#include "MemoryService.h"
#include "ObjectCodes.h"
#include "RuleText.h"
#include "RuleWords.h"

namespace {

constexpr unsigned int kOutputPortId = 1;  // any: the engine only echoes it

std::string reading(WendleEngine::DigitalTrigger& trigger) {
    switch (trigger.getPortStatus()) {
        case object_codes::kAlarmSet:
            return "in alarm";
        case object_codes::kAlarmClear:
            return "not in alarm";
        default:
            return "not reported";
    }
}

bool sameInput(const MomentExplainer::Input& input, cObjectPort& port) {
    return input.device == port.getDeviceSerial() && input.label == port.getPortLabel();
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
    const std::string state = text.substr(equals + 1);
    if (state == "alarm") {
        input.reading = Reading::ALARM;
    } else if (state == "clear") {
        input.reading = Reading::CLEAR;
    } else if (state == "missing") {
        input.reading = Reading::MISSING;
    } else {
        char* end = nullptr;
        input.value = std::strtof(state.c_str(), &end);
        if (state.empty() || *end != '\0') {
            why = "--input state must be alarm, clear, missing or a number, not \"" + state + "\"";
            return false;
        }
        input.reading = Reading::NUMBER;
    }
    return true;
}

bool MomentExplainer::parseMoment(const std::string& text, std::time_t& instant, std::string& why) {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n", &year, &month, &day, &hour, &minute,
                    &used) != 5 ||
        used != static_cast<int>(text.size()) || hour > 23 || minute > 59) {
        why = "--at wants \"YYYY-MM-DD HH:MM\", not \"" + text + "\"";
        return false;
    }
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    instant = std::mktime(&local);
    // mktime moves a day that does not exist (30 February) into the next
    // month; a local time skipped by a clock change only by the change.
    if (instant == static_cast<std::time_t>(-1) || local.tm_mday != day ||
        local.tm_mon != month - 1) {
        why = "--at: " + text + " is not a date";
        return false;
    }
    return true;
}

bool MomentExplainer::explain(ConfigCheck& check, std::time_t at, const std::vector<Input>& inputs,
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
    answered.digitalOutput(engine.getOutput().getPortLabel(), engine.getOutput().getDeviceSerial(),
                           kOutputPortId, resting, resting);

    engine.useService(std::move(service));
    engine.useClock([at] { return at; });
    engine.update_ports();

    const std::tm local = LocalTime::of(at);
    char when[64];
    std::strftime(when, sizeof when, "%a %Y-%m-%d %H:%M %Z", &local);
    out << "At " << when << ":\n";

    for (const Input& input : inputs) {
        bool watched = false;
        for (const ConfigCheck::Trigger& trigger : check.triggers()) {
            const bool digitalInput =
                input.reading == Reading::ALARM || input.reading == Reading::CLEAR;
            watched = watched ||
                      (trigger.digital != nullptr && sameInput(input, *trigger.digital) &&
                       (digitalInput || input.reading == Reading::MISSING)) ||
                      (trigger.analog != nullptr && sameInput(input, *trigger.analog) &&
                       (!digitalInput || input.reading == Reading::MISSING));
        }
        if (!watched) {
            out << "  note: no trigger of that kind watches " << input.label << " on device "
                << RuleWords::device(input.device) << "; the input changes nothing\n";
        }
    }

    for (const ConfigCheck::Trigger& trigger : check.triggers()) {
        bool asks = false;
        std::string state;
        if (trigger.digital != nullptr) {
            asks = trigger.digital->shouldRelease();
            state = RuleWords::port(*trigger.digital) + " " + reading(*trigger.digital);
        } else {
            asks = trigger.analog->shouldRelease();
            bool given = false;
            for (const Input& input : inputs) {
                given = given ||
                        (input.reading == Reading::NUMBER && sameInput(input, *trigger.analog));
            }
            state = RuleWords::port(*trigger.analog) + " at " +
                    RuleWords::level(trigger.analog->getCalculatedValue()) +
                    (given ? "" : " (not reported: the value it had before)");
        }
        out << "  " << trigger.path << ": " << state << ": "
            << (asks ? "asks for release" : "does not ask for release") << "\n";
    }
    for (const ConfigCheck::Window& window : check.windows()) {
        const bool active = window.limit.isInRange(local);
        out << "  " << window.path << ": " << RuleWords::window(window.limit, window.mustrun)
            << ": " << (active ? "active" : "not active") << "\n";
    }

    const cObject::eObjectIOState sent = engine.getOutput().getOutputState();
    const bool release = sent != resting;
    out << "Result: " << (release ? "release" : "inhibit") << ". With the resting state "
        << RuleWords::ioState(resting) << ", the service sends " << RuleWords::ioState(sent)
        << " to " << RuleWords::port(engine.getOutput()) << ".\n";
    return release;
}

#include "RuleText.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "ConstructionTrace.h"
#include "LocalTime.h"

namespace {

constexpr int HEX_BASE = 16;

}  // namespace

uint32_t RuleText::toDeviceId(const std::string& text, Use* use) {
    // strtoull keeps the C library's syntax (blanks, sign, prefix) on every
    // platform; only its range differs from a 32-bit strtoul, which saturates
    // a magnitude beyond 32 bits and otherwise negates modulo 2^32.
    const char* begin = text.c_str();
    const char* cursor = begin;
    while (std::isspace(static_cast<unsigned char>(*cursor)) != 0) {
        ++cursor;
    }
    const bool negative = (*cursor == '-');

    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(begin, &end, HEX_BASE);
    // strtoull has already negated a negative value modulo 2^64.
    const unsigned long long magnitude = negative ? (0ULL - value) : value;
    const bool saturated = errno == ERANGE || magnitude > DEVICE_ID_MAX;
    if (use != nullptr) {
        *use = {static_cast<std::size_t>(end - begin), saturated,
                !saturated && negative && magnitude != 0};
    }
    return saturated ? DEVICE_ID_MAX : static_cast<uint32_t>(value);
}

const RuleText::Keys& RuleText::portKeys() {
    static const Keys keys{
        {LABEL, "is not a port label",
         [](const nlohmann::json& v, Fields& f) { f.port->setPortLabel(toLabel(v).c_str()); }},
        {DEVICE_ID, "is not a device id text",
         [](const nlohmann::json& v, Fields& f) {
             f.port->setDeviceSerial(toDeviceId(v.get<std::string>()));
         }},
    };
    return keys;
}

const RuleText::Keys& RuleText::analogKeys() {
    static const Keys keys = [] {
        Keys port = portKeys();
        port.push_back({VALUE, "is not a number", [](const nlohmann::json& v, Fields& f) {
                            f.level = toLevel(v.get<std::string>());
                        }});
        return port;
    }();
    return keys;
}

const RuleText::Keys& RuleText::limitKeys() {
    static const Keys keys{
        {DAYS, "is not a day of the week",
         [](const nlohmann::json& v, Fields& f) {
             // Iterating a JSON value: an array's elements, an object's
             // member values, nothing for null, and any other value once.
             // Traced as read, then the weekday the days meet today.
             for (const nlohmann::json& element : v) {
                 ConstructionTrace::out() << "Day " << element.dump() << std::endl;
                 f.window.days.push_back(toDay(element));
             }
             ConstructionTrace::out() << " Day of week: " << LocalTime::now().tm_wday << std::endl;
         }},
        {FROM, "is not a time of day",
         [](const nlohmann::json& v, Fields& f) {
             toBound(v, f.window.startHour, f.window.startMinute, f.window.hasStart);
         }},
        {TO, "is not a time of day",
         [](const nlohmann::json& v, Fields& f) {
             toBound(v, f.window.stopHour, f.window.stopMinute, f.window.hasStop);
         }},
    };
    return keys;
}

const RuleText::Keys& RuleText::windowKeys() {
    static const Keys keys = [] {
        Keys window{{MUSTRUN, "is not a text",
                     [](const nlohmann::json& v, Fields& f) { f.mustrun = v.get<std::string>(); }}};
        // Reserved first: without it GCC 12 at -O2 on 32-bit ARM warns of a
        // bounds overrun inside the vector's own regrowth that cannot happen.
        window.reserve(1 + limitKeys().size());
        window.insert(window.end(), limitKeys().begin(), limitKeys().end());
        return window;
    }();
    return keys;
}

RuleText::Fields RuleText::read(nlohmann::json& entry, const Keys& keys, cObjectPort* port) {
    Fields fields;
    fields.port = port;
    for (const Key& key : keys) {
        key.read(entry[key.name], fields);
    }
    return fields;
}

std::string RuleText::toLabel(const nlohmann::json& value) {
    std::string label = value.get<std::string>();
    // Ports are matched by their label as a C text: "DI1\0X" would watch or
    // drive DI1 without a word.
    if (label.find('\0') != std::string::npos) {
        throw std::invalid_argument("label holds a NUL character");
    }
    return label;
}

void RuleText::toBound(const nlohmann::json& value, uint32_t& hour, uint32_t& minute,
                       bool& hasBound) {
    const std::string text = value.get<std::string>();
    if (text.empty()) {
        hasBound = false;
        return;
    }
    const std::string::size_type colon = text.find(':');
    const std::string hourText = (colon == std::string::npos) ? text : text.substr(0, colon);
    const std::string minuteText = (colon == std::string::npos) ? text : text.substr(colon + 1);
    hour = toClockField(hourText);
    minute = toClockField(minuteText);
    hasBound = true;
}

float RuleText::toLevel(const std::string& text, Use* use) {
    std::size_t used = 0;
    const float level = std::stof(text, &used);
    if (use != nullptr) {
        *use = {used, false, false};
    }
    return level;
}

uint32_t RuleText::toClockField(const std::string& text) {
    return static_cast<uint32_t>(std::stoi(text));
}

int RuleText::toDay(const nlohmann::json& value) {
    if (value.is_number_float()) {
        const double day = value.get<double>();
        // Negated test so that nan lands here too.
        if (!(day > static_cast<double>(std::numeric_limits<int>::min()) - 1.0 &&
              day < static_cast<double>(std::numeric_limits<int>::max()) + 1.0)) {
            return NO_DAY;
        }
    }
    return value.get<int>();
}

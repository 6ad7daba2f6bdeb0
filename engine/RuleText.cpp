#include "RuleText.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace {

constexpr int HEX_BASE = 16;

}  // namespace

uint32_t RuleText::toDeviceId(const std::string& text) {
    // strtoull keeps the C library's syntax (blanks, sign, prefix) on every
    // platform; only its range differs from a 32-bit strtoul, which saturates
    // a magnitude beyond 32 bits and otherwise negates modulo 2^32.
    const char* begin = text.c_str();
    const char* cursor = begin;
    while (std::isspace(static_cast<unsigned char>(*cursor)) != 0) {
        ++cursor;
    }
    const bool negative = (*cursor == '-');

    errno = 0;
    const unsigned long long value = std::strtoull(begin, nullptr, HEX_BASE);
    if (errno == ERANGE) {
        return DEVICE_ID_MAX;
    }
    // strtoull has already negated a negative value modulo 2^64.
    const unsigned long long magnitude = negative ? (0ULL - value) : value;
    if (magnitude > DEVICE_ID_MAX) {
        return DEVICE_ID_MAX;
    }
    return static_cast<uint32_t>(value);
}

void RuleText::namePort(cObjectPort& port, nlohmann::json& entry) {
    port.setPortLabel(toLabel(entry["label"]).c_str());
    port.setDeviceSerial(toDeviceId(entry["deviceid"].get<std::string>()));
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

float RuleText::toLevel(const std::string& text) {
    return std::stof(text);
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

#include "SimulatorState.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "cObjectFrame.h"

namespace {

const char* const KEY_DIGITAL_INPUTS = "digital_inputs";
const char* const KEY_ANALOG_INPUTS = "analog_inputs";
const char* const KEY_DIGITAL_OUTPUTS = "digital_outputs";
const char* const KEY_FAULT = "fault";
const char* const KEY_EXTRA_OBJECTS = "extra_objects";
const char* const KEY_FAULT_BYTES = "fault_bytes";

const std::size_t MAX_SERIAL_DIGITS = 8;  // device serials are 32 bits

using Json = nlohmann::json;

// Failures carry their place in the document, e.g. "digital_inputs[1].status".
[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw std::invalid_argument(where + ": " + what);
}

const Json& member(const Json& entry, const std::string& where, const char* key) {
    const auto found = entry.find(key);
    if (found == entry.end()) {
        fail(where, std::string("missing \"") + key + "\"");
    }
    return *found;
}

std::string readLabel(const Json& entry, const std::string& where) {
    const Json& label = member(entry, where, "label");
    if (!label.is_string()) {
        fail(where + ".label", "must be text");
    }
    return label.get<std::string>();
}

// Bytes written as a JSON text of the characters U+0000 to U+00FF, one
// per byte: the text is UTF-8, each character one or two bytes of it.
std::string readBytes(const Json& value, const char* where) {
    if (!value.is_string()) {
        fail(where, "must be text");
    }
    const auto& text = value.get_ref<const std::string&>();
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            bytes.push_back(static_cast<char>(lead));
        } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[++i]);
            bytes.push_back(static_cast<char>(((lead & 0x03U) << 6) | (next & 0x3FU)));
        } else {
            fail(where, "holds a character beyond U+00FF at byte " + std::to_string(i));
        }
    }
    return bytes;
}

// Hexadecimal text, as device ids are written in the service's configuration.
unsigned int readDeviceId(const Json& entry, const std::string& where) {
    const Json& id = member(entry, where, "deviceid");
    if (!id.is_string()) {
        fail(where + ".deviceid", "must be hexadecimal text");
    }
    std::string digits = id.get<std::string>();
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.erase(0, 2);
    }
    if (digits.empty() || digits.size() > MAX_SERIAL_DIGITS) {
        fail(where + ".deviceid", "must be 1 to 8 hexadecimal digits");
    }
    for (const char c : digits) {
        if (std::isxdigit(static_cast<unsigned char>(c)) == 0) {
            fail(where + ".deviceid", "\"" + id.get<std::string>() + "\" is not hexadecimal");
        }
    }
    return static_cast<unsigned int>(std::stoul(digits, nullptr, 16));
}

unsigned int readPortId(const Json& value, const std::string& where) {
    if (!value.is_number_integer() || value.get<std::int64_t>() < 0 ||
        (value.is_number_unsigned() && value.get<std::uint64_t>() > UINT32_MAX)) {
        fail(where, "must be an integer from 0 to " + std::to_string(UINT32_MAX));
    }
    return static_cast<unsigned int>(value.get<std::uint64_t>());
}

// A status or state: any code an int holds, so that the simulator can
// serve codes that no rule names.
int readCode(const Json& value, const std::string& where) {
    const bool fits = value.is_number_unsigned()
                          ? value.get<std::uint64_t>() <= INT_MAX
                          : value.is_number_integer() && value.get<std::int64_t>() >= INT_MIN &&
                                value.get<std::int64_t>() <= INT_MAX;
    if (!fits) {
        fail(where, "must be an integer from " + std::to_string(INT_MIN) + " to " +
                        std::to_string(INT_MAX));
    }
    return static_cast<int>(value.get<std::int64_t>());
}

int readOptionalCode(const Json& entry, const std::string& where, const char* key) {
    const auto found = entry.find(key);
    return found == entry.end() ? 0 : readCode(*found, where + "." + key);
}

int readRequiredCode(const Json& entry, const std::string& where, const char* key) {
    return readCode(member(entry, where, key), where + "." + key);
}

const Json& readList(const Json& document, const char* key) {
    static const Json empty = Json::array();
    const auto found = document.find(key);
    if (found == document.end()) {
        return empty;
    }
    if (!found->is_array()) {
        fail(key, "must be a list");
    }
    return *found;
}

std::string place(const char* list, std::size_t index) {
    return std::string(list) + "[" + std::to_string(index) + "]";
}

enum class eNeed { OPTIONAL, REQUIRED };

// What every kind of port has: label, device, port id and status.
void readPort(cObjectPort& port, const Json& entry, const std::string& where, eNeed portId,
              eNeed status) {
    if (!entry.is_object()) {
        fail(where, "must be an object");
    }
    port.setPortLabel(readLabel(entry, where).c_str());
    port.setDeviceSerial(readDeviceId(entry, where));
    port.setPortId(portId == eNeed::OPTIONAL && !entry.contains("portid")
                       ? 0
                       : readPortId(member(entry, where, "portid"), where + ".portid"));
    port.setPortStatus(static_cast<cObject::eObjectStatus>(
        status == eNeed::REQUIRED ? readRequiredCode(entry, where, "status")
                                  : readOptionalCode(entry, where, "status")));
}

// Each entry of the list under `key`: what every port has, then what
// `readRest` takes of its kind.
template <typename Port, typename ReadRest>
std::vector<Port> readPorts(const Json& document, const char* key, eNeed portId, eNeed status,
                            ReadRest readRest) {
    const Json& list = readList(document, key);
    std::vector<Port> ports(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string where = place(key, i);
        readPort(ports[i], list[i], where, portId, status);
        readRest(ports[i], list[i], where);
    }
    return ports;
}

// The held port of the requested one's type code, label and device serial.
template <typename Port>
const cObject* findPort(const std::vector<Port>& ports, const cObjectPort& wanted) {
    for (const Port& held : ports) {
        if (held.getType() == wanted.getType() &&
            held.getDeviceSerial() == wanted.getDeviceSerial() &&
            std::strcmp(held.getPortLabel(), wanted.getPortLabel()) == 0) {
            return &held;
        }
    }
    return nullptr;
}

}  // namespace

const char* SimulatorState::faultName(eFault fault) {
    switch (fault) {
        case eFault::HANG:
            return "hang";
        case eFault::CLOSE:
            return "close";
        case eFault::GARBAGE:
            return "garbage";
        case eFault::MALFORMED_END:
            return "malformed_end";
        case eFault::BYTES:
            return "bytes";
        case eFault::NONE:
        default:
            return "none";
    }
}

bool SimulatorState::parse(const std::string& text, std::string& why) {
    SimulatorState next;
    try {
        const Json document = Json::parse(text);
        if (!document.is_object()) {
            fail("document", "must be a JSON object");
        }
        for (const auto& item : document.items()) {
            const std::string& key = item.key();
            if (key != KEY_DIGITAL_INPUTS && key != KEY_ANALOG_INPUTS &&
                key != KEY_DIGITAL_OUTPUTS && key != KEY_FAULT && key != KEY_EXTRA_OBJECTS &&
                key != KEY_FAULT_BYTES) {
                fail(key, "unknown member");  // most likely a typing error
            }
        }

        next.digitalInputs = readPorts<cObjectDInput>(document, KEY_DIGITAL_INPUTS, eNeed::OPTIONAL,
                                                      eNeed::REQUIRED, [](auto&...) {});
        next.analogInputs = readPorts<SimulatedAnalogInput>(
            document, KEY_ANALOG_INPUTS, eNeed::OPTIONAL, eNeed::OPTIONAL,
            [](SimulatedAnalogInput& input, const Json& entry, const std::string& where) {
                const Json& value = member(entry, where, "value");
                if (!value.is_number()) {
                    fail(where + ".value", "must be a number");
                }
                input.setReading(value.get<double>());
            });
        next.digitalOutputs = readPorts<cObjectDOutput>(
            document, KEY_DIGITAL_OUTPUTS, eNeed::REQUIRED, eNeed::OPTIONAL,
            [](cObjectDOutput& output, const Json& entry, const std::string& where) {
                output.setDefaultState(static_cast<cObject::eObjectIOState>(
                    readRequiredCode(entry, where, "default")));
                output.setOutputState(
                    static_cast<cObject::eObjectIOState>(readRequiredCode(entry, where, "state")));
            });

        const Json& extras = readList(document, KEY_EXTRA_OBJECTS);
        for (std::size_t i = 0; i < extras.size(); ++i) {
            try {
                Json entry = extras[i];  // decoding takes its texts
                std::shared_ptr<const cObject> extra = cObjectFrame::decodeObject(entry);
                if (const auto* analog = dynamic_cast<const cObjectAInput*>(extra.get())) {
                    // Served as written, even beyond a client's precision.
                    auto held = std::make_shared<SimulatedAnalogInput>(*analog);
                    held->setReading(extras[i].at("value").get<double>());
                    extra = std::move(held);
                }
                next.extraObjects.push_back(std::move(extra));
            } catch (const std::exception& e) {
                fail(place(KEY_EXTRA_OBJECTS, i), e.what());
            }
        }

        const auto fault = document.find(KEY_FAULT);
        if (fault != document.end()) {
            const std::string name = fault->is_string() ? fault->get<std::string>() : "";
            bool known = false;
            for (const eFault candidate : {eFault::NONE, eFault::HANG, eFault::CLOSE,
                                           eFault::GARBAGE, eFault::MALFORMED_END, eFault::BYTES}) {
                if (name == faultName(candidate)) {
                    next.fault = candidate;
                    known = true;
                }
            }
            if (!known) {
                fail(KEY_FAULT,
                     "must be \"none\", \"hang\", \"close\", \"garbage\", "
                     "\"malformed_end\" or \"bytes\"");
            }
        }
        const auto bytes = document.find(KEY_FAULT_BYTES);
        if (bytes != document.end()) {
            next.faultBytes = readBytes(*bytes, KEY_FAULT_BYTES);
        }
    } catch (const std::exception& e) {
        why = e.what();
        return false;
    }
    // An output whose state the file gives as it gave it before keeps what
    // was written to it since: a file edited for its inputs must not move
    // the outputs back. One the file changes is moved, as a hand would.
    for (cObjectDOutput& output : next.digitalOutputs) {
        const std::pair<unsigned int, unsigned int> port{output.getDeviceSerial(),
                                                         output.getPortId()};
        const auto filed = filedStates.find(port);
        const bool unchanged =
            filed != filedStates.end() && filed->second == output.getOutputState();
        next.filedStates[port] = output.getOutputState();
        for (const cObjectDOutput& live : digitalOutputs) {
            if (unchanged && live.getDeviceSerial() == port.first &&
                live.getPortId() == port.second) {
                output.setOutputState(live.getOutputState());
            }
        }
    }
    *this = std::move(next);
    return true;
}

const cObject* SimulatorState::find(const cObject& requested) const {
    const auto* port = dynamic_cast<const cObjectPort*>(&requested);
    if (port == nullptr) {
        return nullptr;
    }
    if (const cObject* held = findPort(digitalInputs, *port)) {
        return held;
    }
    if (const cObject* held = findPort(analogInputs, *port)) {
        return held;
    }
    return findPort(digitalOutputs, *port);
}

bool SimulatorState::applyOutput(unsigned int serial, unsigned int portId, int state) {
    if (state != cObject::IOSTATE_HIGH && state != cObject::IOSTATE_LOW) {
        return false;
    }
    for (auto& output : digitalOutputs) {
        if (output.getDeviceSerial() == serial && output.getPortId() == portId) {
            output.setOutputState(static_cast<cObject::eObjectIOState>(state));
            return true;
        }
    }
    return false;
}

std::string SimulatorState::summary() const {
    return std::to_string(digitalInputs.size()) + " digital inputs, " +
           std::to_string(analogInputs.size()) + " analog inputs, " +
           std::to_string(digitalOutputs.size()) + " digital outputs, " +
           std::to_string(extraObjects.size()) + " extra objects, fault " + faultName(fault);
}

#include "cStateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "JsonFields.h"
#include "TypeCodes.h"
#include "cBareObject.h"

namespace {

// The document's members; any other is most likely a typing error in a test.
enum eMember { DIGITAL_INPUTS, ANALOG_INPUTS, DIGITAL_OUTPUTS, EXTRA_OBJECTS, FAULT, MEMBERS };
const char* const MEMBER_NAMES[MEMBERS] = {"digital_inputs", "analog_inputs", "digital_outputs",
                                           "extra_objects", "fault"};
const char* const NO_FAULT = "none";
const char* const BLOCK_FAULT = "block";

const std::size_t MAX_SERIAL_DIGITS = 8;  // device serials are 32 bits
const std::size_t SAVE_FLAGS = JSON_INDENT(2);

// A list of the document; an absent one is empty (null), anything but an array invalid.
bool getList(json_t* document, const char* key, json_t*& out) {
    out = json_object_get(document, key);
    return out == nullptr || json_is_array(out);
}

// Hexadecimal text with an optional "0x", as the service's configuration writes device ids.
bool getDeviceId(json_t* entry, unsigned int& out) {
    const char* text = nullptr;
    if (!ovtjson::getText(entry, "deviceid", text)) {
        return false;
    }
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && text[2] != '\0') {
        text += 2;
    }
    const std::size_t digits = std::strlen(text);
    if (digits == 0 || digits > MAX_SERIAL_DIGITS) {
        return false;
    }
    unsigned int value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isxdigit(c) == 0) {
            return false;
        }
        const unsigned int digit =
            std::isdigit(c) != 0 ? c - '0' : static_cast<unsigned int>(std::tolower(c) - 'a' + 10);
        value = value * 16 + digit;
    }
    out = value;
    return true;
}

// Label, device id and port id; a missing port id is 0 unless required.
bool readPort(json_t* entry, cObjectPort& port, bool portIdRequired) {
    const char* label = nullptr;
    unsigned int serial = 0;
    unsigned int portId = 0;
    if (!json_is_object(entry) || !ovtjson::getText(entry, "label", label) ||
        !getDeviceId(entry, serial)) {
        return false;
    }
    if (json_object_get(entry, "portid") != nullptr || portIdRequired) {
        if (!ovtjson::getUnsigned(entry, "portid", portId)) {
            return false;
        }
    }
    port.setPortLabel(label);
    port.setDeviceSerial(serial);
    port.setPortId(portId);
    return true;
}

// A code that may be left out, then 0.
bool getOptionalCode(json_t* entry, const char* key, int& out) {
    out = 0;
    return json_object_get(entry, key) == nullptr || ovtjson::getCode(entry, key, out);
}

bool isMember(const char* key) {
    for (const char* name : MEMBER_NAMES) {
        if (std::strcmp(key, name) == 0) {
            return true;
        }
    }
    return false;
}

// One list of ports: each its port fields, its status (0 when left out,
// unless required), then what `fields` reads of its own class.
template <typename Port, typename Fields>
bool readPorts(json_t* document, eMember member, bool statusRequired, bool portIdRequired,
               std::vector<Port>& into, Fields fields) {
    json_t* list = nullptr;
    if (!getList(document, MEMBER_NAMES[member], list)) {
        return false;
    }
    std::size_t i = 0;
    json_t* entry = nullptr;
    json_array_foreach(list, i, entry) {
        Port port;
        int status = 0;
        if (!readPort(entry, port, portIdRequired) ||
            !(statusRequired ? ovtjson::getCode(entry, "status", status)
                             : getOptionalCode(entry, "status", status)) ||
            !fields(entry, port)) {
            return false;
        }
        port.setPortStatus(static_cast<cObject::eObjectStatus>(status));
        into.push_back(port);
    }
    return true;
}

// A port never labelled (null) is asked for by the empty label.
bool samePort(cObjectPort& held, cObjectPort& requested) {
    const char* label = requested.getPortLabel();
    return held.getDeviceSerial() == requested.getDeviceSerial() &&
           std::strcmp(held.getPortLabel(), label != nullptr ? label : "") == 0;
}

template <typename Port>
std::unique_ptr<cObject> copyOfMatch(std::vector<Port>& held, cObjectPort& requested) {
    for (Port& port : held) {
        if (samePort(port, requested)) {
            return std::unique_ptr<cObject>(new Port(port));
        }
    }
    return nullptr;
}

}  // namespace

cStateFile::cStateFile(const char* path)
    : path(path), document(nullptr), faulted(false), blocking(false) {}

cStateFile::~cStateFile() {
    json_decref(document);
}

bool cStateFile::load() {
    json_decref(document);
    document = json_load_file(path.c_str(), 0, nullptr);
    if (!json_is_object(document)) {
        return false;
    }
    const char* key = nullptr;
    json_t* value = nullptr;
    json_object_foreach(document, key, value) {
        if (!isMember(key)) {
            return false;
        }
    }
    return readPortLists() && readExtras() && readFault();
}

/*
 * Digital inputs must give a status; analog inputs and outputs may leave it
 * out. Outputs must give their port id, default and state.
 */
bool cStateFile::readPortLists() {
    return readPorts(document, DIGITAL_INPUTS, true, false, digitalInputs,
                     [](json_t*, cObjectDInput&) { return true; }) &&
           readPorts(document, ANALOG_INPUTS, false, false, analogInputs,
                     [](json_t* entry, cObjectAInput& input) {
                         double value = 0.0;
                         if (!json_is_number(json_object_get(entry, "value")) ||
                             !ovtjson::getNumber(entry, "value", value)) {
                             return false;
                         }
                         input.setCalculatedValue(ovtjson::toFloat(value));
                         return true;
                     }) &&
           readPorts(document, DIGITAL_OUTPUTS, false, true, digitalOutputs,
                     [](json_t* entry, cObjectDOutput& output) {
                         int deflt = 0;
                         int state = 0;
                         if (!ovtjson::getCode(entry, "default", deflt) ||
                             !ovtjson::getCode(entry, "state", state)) {
                             return false;
                         }
                         output.setDefaultState(static_cast<cObject::eObjectIOState>(deflt));
                         output.setOutputState(static_cast<cObject::eObjectIOState>(state));
                         return true;
                     });
}

bool cStateFile::readExtras() {
    json_t* list = nullptr;
    if (!getList(document, MEMBER_NAMES[EXTRA_OBJECTS], list)) {
        return false;
    }
    std::size_t i = 0;
    json_t* entry = nullptr;
    json_array_foreach(list, i, entry) {
        int type = 0;
        if (!ovtjson::getCode(entry, "type", type)) {
            return false;
        }
        std::unique_ptr<cObject> extra;
        switch (type) {
            case ovttype::DIGITAL_INPUT:
                extra.reset(new cObjectDInput());
                break;
            case ovttype::DIGITAL_OUTPUT:
                extra.reset(new cObjectDOutput());
                break;
            case ovttype::ANALOG_INPUT:
                extra.reset(new cObjectAInput());
                break;
            default:
                extra.reset(new cBareObject(type));
                break;
        }
        if (extra->parse(entry) != 0) {
            return false;
        }
        extras.push_back(std::move(extra));
    }
    return true;
}

bool cStateFile::readFault() {
    json_t* fault = json_object_get(document, MEMBER_NAMES[FAULT]);
    faulted = fault != nullptr &&
              !(json_is_string(fault) && std::strcmp(json_string_value(fault), NO_FAULT) == 0);
    blocking = json_is_string(fault) && std::strcmp(json_string_value(fault), BLOCK_FAULT) == 0;
    return true;
}

std::unique_ptr<cObject> cStateFile::answer(cObject& requested) {
    auto* port = dynamic_cast<cObjectPort*>(&requested);
    if (port == nullptr) {
        return nullptr;
    }
    switch (requested.getType()) {
        case ovttype::DIGITAL_INPUT:
            return copyOfMatch(digitalInputs, *port);
        case ovttype::ANALOG_INPUT:
            return copyOfMatch(analogInputs, *port);
        case ovttype::DIGITAL_OUTPUT:
            return copyOfMatch(digitalOutputs, *port);
        default:
            return nullptr;
    }
}

void cStateFile::copyExtras(std::vector<std::unique_ptr<cObject>>& out) {
    for (const auto& extra : extras) {
        out.emplace_back(extra->clone());
    }
}

bool cStateFile::applyOutput(unsigned int serial, unsigned int portId, int state) {
    for (std::size_t i = 0; i < digitalOutputs.size(); ++i) {
        cObjectDOutput& output = digitalOutputs[i];
        if (output.getDeviceSerial() == serial && output.getPortId() == portId) {
            json_t* entry =
                json_array_get(json_object_get(document, MEMBER_NAMES[DIGITAL_OUTPUTS]), i);
            if (json_object_set_new(entry, "state", json_integer(state)) != 0 || !save()) {
                return false;
            }
            output.setOutputState(static_cast<cObject::eObjectIOState>(state));
            return true;
        }
    }
    return false;
}

// A new file renamed over the old one: a reader sees either document whole.
bool cStateFile::save() {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(&temporary[0]);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        ::fchmod(fd, info.st_mode & 07777);
    }
    const bool written = json_dumpfd(document, fd, SAVE_FLAGS) == 0 && ::write(fd, "\n", 1) == 1;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

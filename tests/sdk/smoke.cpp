// Drives the library through its public headers alone, as the service does:
// reads answered from state files, writes applied to them, and the record
// of the calls. Usage: ovtobj_smoke SCRATCH_DIR
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cObjectAInput.h"
#include "cObjectClient.h"
#include "cObjectDInput.h"
#include "cObjectDOutput.h"
#include "cObjectList.h"

namespace {

const int DIGITAL_INPUT = 2;
const int DIGITAL_OUTPUT = 3;
const int ANALOG_INPUT = 4;
const unsigned int SERIAL_A1 = 0xa1;

int failures = 0;

void expect(const std::string& name, const std::string& got, const std::string& wanted) {
    if (got != wanted) {
        std::printf("FAIL %s\n  got:    %s\n  wanted: %s\n", name.c_str(), got.c_str(),
                    wanted.c_str());
        ++failures;
    }
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::trunc) << text;
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A port to ask for: the type code picks the class, as the service's users do.
struct Asked {
    int type;
    const char* label;
    unsigned int serial;
};

// The request objects; the list only borrows them.
struct Request {
    std::vector<std::unique_ptr<cObjectPort>> ports;
    cObjectList list;

    explicit Request(const std::vector<Asked>& asked) {
        list.setMsgType(1);
        for (const Asked& a : asked) {
            ports.emplace_back(
                a.type == DIGITAL_INPUT  ? static_cast<cObjectPort*>(new cObjectDInput)
                : a.type == ANALOG_INPUT ? static_cast<cObjectPort*>(new cObjectAInput)
                                         : new cObjectDOutput);
            ports.back()->setPortLabel(a.label);
            ports.back()->setDeviceSerial(a.serial);
            list.add(ports.back().get());
        }
    }
};

// An answer through the getters, e.g. "3:DO1/161/3 s0 o2 d2 | 9".
std::string describe(cObjectList* answer) {
    if (answer == nullptr) {
        return "null";
    }
    std::ostringstream text;
    int walked = 0;
    for (cObject* obj = answer->first(); obj != nullptr; obj = answer->next(), ++walked) {
        text << (walked > 0 ? " | " : "") << obj->getType();
        auto* port = dynamic_cast<cObjectPort*>(obj);
        if (port == nullptr) {
            continue;
        }
        const char* label = port->getPortLabel();
        text << ':' << (label != nullptr ? label : "(null)") << '/' << port->getDeviceSerial()
             << '/' << port->getPortId() << " s" << port->getPortStatus();
        if (obj->getType() == ANALOG_INPUT) {
            text << " v" << static_cast<cObjectAInput*>(obj)->getCalculatedValue();
        } else if (obj->getType() == DIGITAL_OUTPUT) {
            auto* output = static_cast<cObjectDOutput*>(obj);
            text << " o" << output->getOutputState() << " d" << output->getDefaultState();
        }
    }
    if (walked != answer->numObjects()) {
        text << " (walked " << walked << " of " << answer->numObjects() << ")";
    }
    return text.str();
}

const char* const STATE =
    R"({"digital_inputs": [{"label": "DI1", "deviceid": "a1", "status": 2},
                           {"label": "DI1", "deviceid": "0xB2", "portid": 7, "status": 1}],
        "analog_inputs": [{"label": "AI1", "deviceid": "a1", "value": 21.5}],
        "digital_outputs": [{"label": "DO1", "deviceid": "a1", "portid": 3, "default": 2, "state": 2}],
        "fault": "none"})";

const std::vector<Asked> ALL_PORTS = {{DIGITAL_INPUT, "DI1", SERIAL_A1},
                                      {ANALOG_INPUT, "AI1", SERIAL_A1},
                                      {DIGITAL_OUTPUT, "DO1", SERIAL_A1}};
const char* const ALL_ANSWERED = "2:DI1/161/0 s2 | 4:AI1/161/0 s0 v21.5 | 3:DO1/161/3 s0 o2 d2";

void testGet(const std::string& statePath) {
    struct Case {
        const char* name;
        const char* state;  // null: no state file
        std::vector<Asked> asked;
        const char* answered;
    };
    const Case cases[] = {
        {"in request order, unknown ports left out",
         STATE,
         {{DIGITAL_OUTPUT, "DO1", SERIAL_A1},
          {DIGITAL_INPUT, "DI9", SERIAL_A1},
          {DIGITAL_INPUT, "DI1", 0xb2},
          {ANALOG_INPUT, "AI1", SERIAL_A1}},
         "3:DO1/161/3 s0 o2 d2 | 2:DI1/178/7 s1 | 4:AI1/161/0 s0 v21.5"},
        {"matched by type, label and serial",
         STATE,
         {{ANALOG_INPUT, "DI1", SERIAL_A1},
          {DIGITAL_INPUT, "DI1", 0xa2},
          {DIGITAL_INPUT, "di1", SERIAL_A1}},
         ""},
        {"no fault member",
         R"({"digital_inputs": [{"label": "DI1", "deviceid": "A1", "status": 1}]})",
         {{DIGITAL_INPUT, "DI1", SERIAL_A1}},
         "2:DI1/161/0 s1"},
        {"unnamed codes passed on by value",
         R"({"digital_inputs": [{"label": "DI1", "deviceid": "a1", "status": 3}],
             "digital_outputs": [{"label": "DO1", "deviceid": "a1", "portid": 3, "status": -4,
                                  "default": 5, "state": 2147483647}]})",
         {{DIGITAL_INPUT, "DI1", SERIAL_A1}, {DIGITAL_OUTPUT, "DO1", SERIAL_A1}},
         "2:DI1/161/0 s3 | 3:DO1/161/3 s-4 o2147483647 d5"},
        {"values beyond single precision are infinite",
         R"({"analog_inputs": [{"label": "AI1", "deviceid": "a1", "value": 1e39},
                               {"label": "AI2", "deviceid": "a1", "value": -1e39}]})",
         {{ANALOG_INPUT, "AI1", SERIAL_A1}, {ANALOG_INPUT, "AI2", SERIAL_A1}},
         "4:AI1/161/0 s0 vinf | 4:AI2/161/0 s0 v-inf"},
        {"extra objects follow the requested ones",
         R"({"digital_inputs": [{"label": "DI1", "deviceid": "a1", "status": 1}],
             "extra_objects": [{"type": 9},
                               {"type": 4, "label": "AX", "serial": 5, "port": 1, "status": 0, "value": 1e40},
                               {"type": 3, "label": "DO2", "serial": 161, "port": 5, "status": 0,
                                "output": 1, "default": 2}]})",
         {{DIGITAL_INPUT, "DI1", SERIAL_A1}},
         "2:DI1/161/0 s1 | 9 | 4:AX/5/1 s0 vinf | 3:DO2/161/5 s0 o1 d2"},
        {"a fault answers nothing", R"({"fault": "hang"})", ALL_PORTS, "null"},
        {"a fault of another kind answers nothing", R"({"fault": 0})", ALL_PORTS, "null"},
        {"no state file", nullptr, ALL_PORTS, "null"},
        {"not JSON", "{\"digital_inputs\": [", ALL_PORTS, "null"},
        {"device id not hexadecimal",
         R"({"digital_inputs": [{"label": "DI1", "deviceid": "g1", "status": 1}]})", ALL_PORTS,
         "null"},
        {"unknown member", R"({"digital_input": []})", ALL_PORTS, "null"},
        {"extra object lacking a field", R"({"extra_objects": [{"type": 2, "label": "DI1"}]})",
         ALL_PORTS, "null"},
    };
    cObjectClient client;
    for (const Case& c : cases) {
        std::remove(statePath.c_str());
        if (c.state != nullptr) {
            writeFile(statePath, c.state);
        }
        Request request(c.asked);
        expect(std::string("get: ") + c.name, describe(client.get(&request.list)), c.answered);
    }
}

void testSet(const std::string& statePath) {
    struct Case {
        const char* name;
        const char* state;
        int type;
        unsigned int serial, portId;
        int output;
        int result;
        const char* after;  // the state's ports answered afterwards
    };
    const char* const faulted = R"({"digital_outputs": [{"label": "DO1", "deviceid": "a1",
                                    "portid": 3, "default": 2, "state": 2}], "fault": "close"})";
    const Case cases[] = {
        {"high applied", STATE, DIGITAL_OUTPUT, SERIAL_A1, 3, 1, 0,
         "2:DI1/161/0 s2 | 4:AI1/161/0 s0 v21.5 | 3:DO1/161/3 s0 o1 d2"},
        {"neither high nor low", STATE, DIGITAL_OUTPUT, SERIAL_A1, 3, 0, -1, ALL_ANSWERED},
        {"unnamed state", STATE, DIGITAL_OUTPUT, SERIAL_A1, 3, 7, -1, ALL_ANSWERED},
        {"no output with that port id", STATE, DIGITAL_OUTPUT, SERIAL_A1, 4, 1, -1, ALL_ANSWERED},
        {"no output with that serial", STATE, DIGITAL_OUTPUT, 0xa2, 3, 1, -1, ALL_ANSWERED},
        {"not an output", STATE, DIGITAL_INPUT, SERIAL_A1, 3, 1, -1, ALL_ANSWERED},
        {"under a fault", faulted, DIGITAL_OUTPUT, SERIAL_A1, 3, 1, -1, "null"},
    };
    cObjectClient client;
    for (const Case& c : cases) {
        writeFile(statePath, c.state);
        cObjectDOutput output;
        cObjectDInput input;
        cObjectPort* port = c.type == DIGITAL_OUTPUT ? static_cast<cObjectPort*>(&output) : &input;
        port->setPortLabel("not used");
        port->setDeviceSerial(c.serial);
        port->setPortId(c.portId);
        output.setOutputState(static_cast<cObject::eObjectIOState>(c.output));
        const std::string name = std::string("set: ") + c.name;
        expect(name, std::to_string(client.set(port)), std::to_string(c.result));
        Request request(ALL_PORTS);
        expect(name + ", state after", describe(client.get(&request.list)), c.after);
    }
}

// The hand-made storage: a list walked again and past its end, labels copied deeply.
void testStorage() {
    cObjectDInput a;
    cObjectAInput b;
    cObjectList list;
    expect("empty list: first", describe(&list), "");
    list.add(&a);
    list.add(nullptr);  // not taken
    list.add(&b);
    list.add(&a);  // lent twice: listed twice
    a.setPortLabel("A");
    expect("list walked", describe(&list), "2:A/0/0 s0 | 4:(null)/0/0 s0 v0 | 2:A/0/0 s0");
    list.first();
    list.next();
    list.next();
    const bool endStays = list.next() == nullptr && list.next() == nullptr;
    expect("past the end stays null", endStays ? "yes" : "no", "yes");

    cObjectDOutput original;
    original.setPortLabel("DO1");
    cObjectDOutput copy(original);
    cObjectDOutput assigned;
    assigned = original;
    assigned = *&assigned;  // self-assignment keeps the label
    original.setPortLabel("changed");
    std::unique_ptr<cObject> cloned(copy.clone());
    cObjectList copies;
    copies.add(&copy);
    copies.add(&assigned);
    copies.add(cloned.get());
    expect("copies own their label", describe(&copies),
           "3:DO1/0/0 s0 o0 d0 | 3:DO1/0/0 s0 o0 d0 | 3:DO1/0/0 s0 o0 d0");
}

// The record: one compact line per call, flushed as it returns.
void testRecord(const std::string& statePath, const std::string& callsPath) {
    // Readings as the shortest text of their float; what JSON cannot write as text.
    writeFile(statePath, R"({"analog_inputs": [{"label": "AI1", "deviceid": "a1", "value": 0.1}],
        "digital_outputs": [{"label": "DO1", "deviceid": "a1", "portid": 3, "default": 2, "state": 2}],
        "extra_objects": [{"type": 9},
                          {"type": 4, "label": "AX", "serial": 5, "port": 1, "status": 0, "value": -1e39}]})");
    std::remove(callsPath.c_str());
    cObjectClient client;
    client.start("127.0.0.1", 60000);
    Request request({{ANALOG_INPUT, "AI1", SERIAL_A1}, {DIGITAL_OUTPUT, "DO1", SERIAL_A1}});
    client.get(&request.list);
    cObjectDOutput output;
    output.setDeviceSerial(SERIAL_A1);
    output.setPortId(3);
    output.setOutputState(cObject::eIOLow);
    client.set(&output);
    writeFile(statePath, R"({"fault": "garbage"})");
    client.get(&request.list);

    const std::vector<std::string> wanted = {
        R"({"call":"start","host":"127.0.0.1","port":60000})",
        R"({"call":"get","msgtype":1,"request":[{"type":4,"label":"AI1","serial":161,"status":0},)"
        R"({"type":3,"label":"DO1","serial":161,"status":0}],)"
        R"("answer":[{"type":4,"label":"AI1","serial":161,"port":0,"status":0,"value":0.1},)"
        R"({"type":3,"label":"DO1","serial":161,"port":3,"status":0,"output":2,"default":2},)"
        R"({"type":9},{"type":4,"label":"AX","serial":5,"port":1,"status":0,"value":"-inf"}]})",
        R"({"call":"set","type":3,"serial":161,"port":3,"status":0,"output":2,"default":0,"applied":true})",
        R"({"call":"get","msgtype":1,"request":[{"type":4,"label":"AI1","serial":161,"status":0},)"
        R"({"type":3,"label":"DO1","serial":161,"status":0}],"answer":null})",
    };
    const std::vector<std::string> lines = readLines(callsPath);
    expect("record: number of lines", std::to_string(lines.size()), std::to_string(wanted.size()));
    for (std::size_t i = 0; i < lines.size() && i < wanted.size(); ++i) {
        expect("record: line " + std::to_string(i + 1), lines[i], wanted[i]);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SCRATCH_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    ::mkdir(dir.c_str(), 0755);
    const std::string statePath = dir + "/state.json";
    const std::string callsPath = dir + "/calls.jsonl";
    ::setenv("OVTOBJ_STATE", statePath.c_str(), 1);
    ::setenv("OVTOBJ_CALLS", callsPath.c_str(), 1);

    testStorage();
    testGet(statePath);
    testSet(statePath);
    testRecord(statePath, callsPath);
    std::printf("%s\n", failures == 0 ? "all passed" : "failures");
    return failures == 0 ? 0 : 1;
}

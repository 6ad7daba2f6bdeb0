// The engine: construction from the IO-data section, one poll, the decision.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "CapturingAppender.h"
#include "CaughtStdout.h"
#include "ErrorText.h"
#include "MemoryService.h"
#include "PortLabel.h"
#include "WendleEngine.h"

namespace {

using nlohmann::json;
using Lines = std::vector<std::string>;
// A port of a read request, and a digital output as it was written.
struct Requested {
    int type;
    std::string label;
    unsigned int serial;
    int status;
    bool operator==(const Requested& o) const {
        return std::tie(type, label, serial, status) ==
               std::tie(o.type, o.label, o.serial, o.status);
    }
};
struct Written {
    unsigned int serial, portId;
    int outputState, defaultState;
    std::string label;
    bool operator==(const Written& o) const {
        return std::tie(serial, portId, outputState, defaultState, label) ==
               std::tie(o.serial, o.portId, o.outputState, o.defaultState, o.label);
    }
};

// Keeps the last request and every write and, since our own library tells
// it (a controller's does not), the request's message type.
class TypedMemoryService : public MemoryService {
public:
    cObjectList* get(cObjectList* request) override {
        requestType = request->getMsgType();
        requested.clear();
        for (cObject* object = request->first(); object != nullptr; object = request->next()) {
            auto* port = static_cast<cObjectPort*>(object);
            requested.push_back({object->getType(), PortLabel::of(*port), port->getDeviceSerial(),
                                 port->getPortStatus()});
        }
        return MemoryService::get(request);
    }
    Write set(cObject* object) override {
        auto* output = static_cast<cObjectDOutput*>(object);
        written.push_back({output->getDeviceSerial(), output->getPortId(), output->getOutputState(),
                           output->getDefaultState(), PortLabel::of(*output)});
        return MemoryService::set(object);
    }
    int requestType = -1;
    std::vector<Requested> requested;
    std::vector<Written> written;
};

constexpr int DI = cObject::TYPE_DIGITAL_INPUT;
constexpr int AI = cObject::TYPE_ANALOG_INPUT;
constexpr int DO = cObject::TYPE_DIGITAL_OUTPUT;

std::string weekdayLine() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return " Day of week: " + std::to_string(local.tm_wday) + "\n";
}

class Engine : public ::testing::Test {
protected:
    CapturingAppender capture;
    std::unique_ptr<WendleEngine> engine;
    TypedMemoryService* service = nullptr;  // lent: the engine owns it
    std::string stdoutText;

    void build(const json& section) {
        CaughtStdout caught;
        try {
            engine = std::make_unique<WendleEngine>(section);
        } catch (...) {
            stdoutText = caught.text();
            throw;
        }
        stdoutText = caught.text();
        auto memory = std::make_unique<TypedMemoryService>();
        service = memory.get();
        engine->useService(std::move(memory));
    }

    Lines linesAfter(const std::string& marker) const {
        Lines all = capture.messages(), tail;
        bool seen = false;
        for (const std::string& line : all) {
            if (seen) {
                tail.push_back(line);
            }
            seen = seen || line == marker;
        }
        return tail;
    }
};

json digital(const char* label, const char* id, const char* operation) {
    return {{"type", "digital"}, {"label", label}, {"deviceid", id}, {"operation", operation}};
}
json analog(const char* label, const char* id, const char* operation, const char* value) {
    return {{"type", "analog"},
            {"label", label},
            {"deviceid", id},
            {"operation", operation},
            {"value", value}};
}
json window(const char* mustrun, bool active) {
    json limit = {{"from", ""}, {"to", ""}, {"mustrun", mustrun}};
    if (!active) {
        limit["days"] = {7};
    }
    return limit;
}

TEST_F(Engine, ConstructionLogsEveryEntryAndSortsTheRules) {
    const json limit = {{"from", "08:00"}, {"to", ""}, {"mustrun", "true"}};
    const std::string limitTrace = weekdayLine() + "Start: 8-0:-1\nStop: 0-0:-0\n";
    struct Case {
        const char* name;
        json section;
        Lines lines;
        std::string out;
        std::vector<Requested> request;
    };
    const Requested output{DO, "", 0, 0};
    const std::vector<Case> cases = {
        {"null section", nullptr, {}, "", {output}},
        {"empty section", json::object(), {}, "", {output}},
        {"no triggers: time limits unread", {{"timelimits", {limit}}}, {}, "", {output}},
        {"empty triggers: time limits read",
         {{"triggers", json::array()}, {"timelimits", {limit}}},
         {"Found some triggers...0 of them", limit.dump()},
         limitTrace,
         {output}},
        {"kinds in document order",
         {{"output", {{"label", "DO1"}, {"deviceid", "a1"}}},
          {"triggers",
           {analog("AI1", "a1", "gt", "2.5"), digital("DI1", "a1", "alarm"),
            digital("DI2", "0xB2", "noalarm")}}},
         {"Found some triggers...3 of them", analog("AI1", "a1", "gt", "2.5").dump(), "Analog",
          digital("DI1", "a1", "alarm").dump(), "Digital", digital("DI2", "0xB2", "noalarm").dump(),
          "Digital"},
         "Level set to '2.5' \n",
         {{DI, "DI1", 161, 0}, {DI, "DI2", 178, 0}, {AI, "AI1", 161, 0}, {DO, "DO1", 161, 0}}},
        {"object of objects in key order; unknown types skipped",
         {{"triggers",
           {{"b", digital("DI2", "2", "alarm")},
            {"a", digital("DI1", "1", "alarm")},
            {"c", {{"type", "Digital"}}},
            {"d", nullptr}}}},
         {"Found some triggers...4 of them", digital("DI1", "1", "alarm").dump(), "Digital",
          digital("DI2", "2", "alarm").dump(), "Digital", R"({"type":"Digital"})", "null"},
         "",
         {{DI, "DI1", 1, 0}, {DI, "DI2", 2, 0}, output}},
    };
    for (const Case& c : cases) {
        capture.clear();
        build(c.section);
        EXPECT_EQ(capture.messages(), c.lines) << c.name;
        EXPECT_EQ(stdoutText, c.out) << c.name;
        service->setAnswering(false);
        engine->update_ports();
        EXPECT_EQ(service->requested, c.request) << c.name;
        EXPECT_EQ(service->requestType, 1) << c.name;
    }
}

TEST_F(Engine, ConstructionErrorsPassThroughAfterTheLinesDue) {
    struct Case {
        const char* name;
        json section;
        std::string error;
        Lines lines;
    };
    const json noMustrun = {{"from", ""}, {"to", ""}};
    const std::vector<Case> cases = {
        {"section an array",
         json::array(),
         "[json.exception.type_error.305] cannot use operator[] with a string argument with array",
         {}},
        {"output a number",
         {{"output", 5}},
         "[json.exception.type_error.305] cannot use operator[] with a string argument with number",
         {}},
        {"trigger a string",
         {{"triggers", "x"}},
         "[json.exception.type_error.305] cannot use operator[] with a string argument with string",
         {"Found some triggers...1 of them", "\"x\""}},
        {"mustrun missing",
         {{"triggers", json::array()}, {"timelimits", {noMustrun}}},
         "[json.exception.type_error.302] type must be string, but is null",
         {"Found some triggers...0 of them", noMustrun.dump()}},
        {"mustrun boolean",
         {{"triggers", json::array()},
          {"timelimits", {{{"from", ""}, {"to", ""}, {"mustrun", true}}}}},
         "[json.exception.type_error.302] type must be string, but is boolean",
         {"Found some triggers...0 of them", R"({"from":"","mustrun":true,"to":""})"}},
        {"level without a number",
         {{"triggers", {analog("AI1", "1", "gt", "V12")}}},
         "invalid_argument: stof",
         {"Found some triggers...1 of them", analog("AI1", "1", "gt", "V12").dump(), "Analog"}},
    };
    for (const Case& c : cases) {
        capture.clear();
        EXPECT_EQ(errorText([&] { build(c.section); }), c.error) << c.name;
        EXPECT_EQ(capture.messages(), c.lines) << c.name;
    }
}

// The build record: one line per entry, "path kind built what", the port's
// label (while the engine lives) or a window's mustrun; the entry that
// failed is the last, unbuilt.
TEST_F(Engine, BuildRecordSaysWhatEachEntryBecame) {
    using Kind = WendleEngine::BuildRecord::Kind;
    const char* const kinds[] = {"output", "digital", "analog", "window", "skipped"};
    const json limit = {{"from", "08:00"}, {"to", ""}, {"mustrun", "true"}};
    const json badBound = {{"from", "ab:00"}, {"to", ""}, {"mustrun", "false"}};
    const struct {
        const char* name;
        json section;
        Lines records;
    } cases[] = {
        {"every kind, in document order",
         {{"output", {{"label", "DO1"}, {"deviceid", "a1"}}},
          {"triggers",
           {analog("AI1", "a1", "gt", "2.5"),
            digital("DI1", "a1", "alarm"),
            {{"type", "Digital"}}}},
          {"timelimits", {limit, {{"from", ""}, {"to", ""}, {"mustrun", "no"}}}}},
         {"cfg.output output 1 DO1", "cfg.triggers[0] analog 1 AI1",
          "cfg.triggers[1] digital 1 DI1", "cfg.triggers[2] skipped 1 ",
          "cfg.timelimits[0] window 1 true", "cfg.timelimits[1] window 1 false"}},
        {"members by key",
         {{"triggers", {{"b", digital("DI2", "2", "alarm")}}}},
         {"cfg.output output 1 ", "cfg.triggers.b digital 1 DI2"}},
        {"failing trigger last",
         {{"triggers",
           {digital("DI1", "1", "alarm"), analog("AI1", "1", "gt", "V12"),
            digital("DI2", "2", "alarm")}}},
         {"cfg.output output 1 ", "cfg.triggers[0] digital 1 ", "cfg.triggers[1] analog 0 "}},
        {"failing window last",
         {{"triggers", json::array()}, {"timelimits", {limit, badBound}}},
         {"cfg.output output 1 ", "cfg.timelimits[0] window 1 true",
          "cfg.timelimits[1] window 0 "}},
        {"trigger not an object",
         {{"triggers", {"x"}}},
         {"cfg.output output 1 ", "cfg.triggers[0] skipped 0 "}},
        {"section not an object", json::array(), {}},
    };
    for (const auto& c : cases) {
        std::vector<WendleEngine::BuildRecord> record;
        ::testing::internal::CaptureStdout();
        std::unique_ptr<WendleEngine> built;
        errorText([&] { built = std::make_unique<WendleEngine>(c.section, &record); });
        ::testing::internal::GetCapturedStdout();
        Lines lines;
        for (const WendleEngine::BuildRecord& entry : record) {
            const std::string what =
                entry.kind == Kind::WINDOW
                    ? (entry.window ? (entry.mustrun ? "true" : "false") : "")
                    : (built && entry.port != nullptr ? entry.port->getPortLabel() : "");
            lines.push_back(entry.path + " " + kinds[static_cast<int>(entry.kind)] + " " +
                            std::to_string(entry.built) + " " + what);
        }
        EXPECT_EQ(lines, c.records) << c.name;
    }
}

TEST_F(Engine, StartDoesNothingOnceAnEngineExists) {
    auto* existing = reinterpret_cast<WendleEngine*>(this);  // any non-null
    WendleEngine::_WendleEngine = existing;
    WendleEngine::start(json::array());  // would throw if it built anything
    EXPECT_EQ(WendleEngine::create(json::array()), existing);
    WendleEngine::_WendleEngine = nullptr;
    EXPECT_TRUE(capture.events().empty());
}

TEST_F(Engine, FailedStartLeavesNoEngine) {
    const std::string error =
        "[json.exception.type_error.305] cannot use operator[] with a string argument with number";
    EXPECT_EQ(errorText([] { WendleEngine::start({{"output", 1}}); }), error);
    EXPECT_EQ(WendleEngine::_WendleEngine, nullptr);
    EXPECT_EQ(errorText([] { WendleEngine::create({{"output", 1}}); }), error);
    EXPECT_EQ(WendleEngine::_WendleEngine, nullptr);
}

TEST_F(Engine, CreatePublishesTheEngineItBuilt) {
    const std::unique_ptr<WendleEngine> built(
        WendleEngine::create({{"output", {{"label", "DO1"}, {"deviceid", "a1"}}}}));
    EXPECT_EQ(WendleEngine::_WendleEngine, built.get());
    EXPECT_EQ(built->getOutput().getDeviceSerial(), 0xa1U);
    WendleEngine::_WendleEngine = nullptr;
}

TEST_F(Engine, PollTracesRequestResponseAndDecision) {
    build({{"output", {{"label", "DO1"}, {"deviceid", "a1"}}},
           {"triggers",
            {digital("DI1", "a1", "alarm"), digital("DI1", "a1", "noalarm"),
             digital("DI2", "b2", "alarm"), analog("AI1", "a1", "gt", "25")}}});
    service->digitalInput("DI1", 0xa1, cObject::STATUS_ALARM_SET);
    service->analogInput("AI1", 0xa1, 30.5F);
    service->answer(std::make_unique<cObject>(9));
    service->digitalOutput("DO1", 0xa1, 3, cObject::IOSTATE_LOW, cObject::IOSTATE_LOW);
    service->digitalInput("DI9", 0xa1, cObject::STATUS_ALARM_SET);  // nobody watches it
    service->digitalInput("DI2", 0xa2, cObject::STATUS_ALARM_SET);  // label matches, serial not
    capture.clear();
    engine->update_ports();

    const std::vector<CapturedEvent> expected = {
        {"WendleEngine", "DEBUG", "3 Digital Triggers "},
        {"WendleEngine", "DEBUG", "1 Analog Triggers "},
        {"WendleEngine", "DEBUG", "Adding Digital Trigger "},
        {"WendleEngine", "DEBUG", "Port Label: DI1 "},
        {"WendleEngine", "DEBUG", "DeviceID: 161 "},
        {"WendleEngine", "DEBUG", "Adding Digital Trigger "},
        {"WendleEngine", "DEBUG", "Port Label: DI1 "},
        {"WendleEngine", "DEBUG", "DeviceID: 161 "},
        {"WendleEngine", "DEBUG", "Adding Digital Trigger "},
        {"WendleEngine", "DEBUG", "Port Label: DI2 "},
        {"WendleEngine", "DEBUG", "DeviceID: 178 "},
        {"WendleEngine", "DEBUG", "Adding Analog Trigger"},
        {"WendleEngine", "DEBUG", "Got 6 Response Objects "},
        {"WendleEngine", "DEBUG", "Got Digital Input "},
        {"WendleEngine", "DEBUG", "Setting 161:DI1 to ALARM_SET "},
        {"WendleEngine", "DEBUG", "Setting 161:DI1 to ALARM_SET "},
        {"WendleEngine", "DEBUG", "Got Analog input"},
        {"WendleEngine", "DEBUG", "Setting 161:AI1 to 30.5 "},
        {"WendleEngine", "INFO", "We don't handle this type"},
        {"WendleEngine", "DEBUG", "Got Digital Output "},
        {"WendleEngine", "DEBUG", "Port Number: 3 "},
        {"WendleEngine", "DEBUG", "Port Label:DO1 "},
        {"WendleEngine", "DEBUG", "Got Digital Input "},
        {"WendleEngine", "DEBUG", "Got Digital Input "},
        {"WendleEngine", "DEBUG", "Release Output "},
        {"WendleEngine", "DEBUG", "Setting Output to HIGH "},
        {"Output", "INFO",
         "DO1 on device a1: HIGH (released) by cfg.triggers[3]: AI1 on device a1 at 30.5 (above "
         "25); cfg.triggers[0]: DI1 on device a1 in alarm"},
    };
    EXPECT_EQ(capture.events(), expected);
    EXPECT_EQ(service->written, (std::vector<Written>{{161, 3, 1, 0, ""}}));

    // The next request reports every digital status as cleared again.
    service->setAnswering(false);
    capture.clear();
    engine->update_ports();
    EXPECT_EQ(service->requested, (std::vector<Requested>{{DI, "DI1", 161, 0},
                                                          {DI, "DI1", 161, 0},
                                                          {DI, "DI2", 178, 0},
                                                          {AI, "AI1", 161, 0},
                                                          {DO, "DO1", 161, 0}}));
    EXPECT_EQ(linesAfter("Adding Analog Trigger"), Lines{"Bad response"});
    EXPECT_EQ(capture.events().back().priority, "INFO");
    EXPECT_EQ(service->written.size(), 1U);  // no decision without a response
}

TEST_F(Engine, LastDigitalOutputOfAResponseWins) {
    build({{"output", {{"label", "DO1"}, {"deviceid", "a1"}}}});
    service->digitalOutput("DO1", 0xa1, 3, cObject::IOSTATE_LOW, cObject::IOSTATE_LOW);
    service->digitalOutput("DO7", 0xa1, 7, cObject::IOSTATE_HIGH, cObject::IOSTATE_HIGH);
    engine->update_ports();
    EXPECT_EQ(service->written, (std::vector<Written>{{161, 7, 1, 0, ""}}));

    // Without an output in the response the states of the last poll stay.
    service->forgetAnswers();
    engine->update_ports();
    EXPECT_EQ(service->written.back(), (Written{161, 7, 1, 0, ""}));
}

TEST_F(Engine, DecisionTable) {
    const auto LOW = cObject::IOSTATE_LOW;
    const auto HIGH = cObject::IOSTATE_HIGH;
    const json noWindows = json::array();
    // What the switching history says after "DO1 on device a1: ".
    const std::string byTrigger = " by cfg.triggers[0]: AI1 on device a1 at 30 (above 25)";
    const std::string byMustRun = " by cfg.timelimits[0]: forces release every day, all day";
    const std::string noRule = ": no rule asks for release";
    struct Case {
        const char* name;
        bool triggerAsks;
        json windows;
        cObject::eObjectIOState defaultState;
        Lines lines;
        int written;
        std::string history;  // of the first write after start-up
    };
    const std::vector<Case> cases = {
        {"nothing asks", false, noWindows, LOW, Lines{"Inhibit Output ", "Setting Output to LOW "},
         2, "LOW (inhibited)" + noRule},
        {"a trigger asks", true, noWindows, LOW,
         Lines{"Release Output ", "Setting Output to HIGH "}, 1, "HIGH (released)" + byTrigger},
        {"must-run window", false, json::array({window("true", true)}), LOW,
         Lines{"Include Trigger", "Time within range", "Release Output ",
               "Setting Output to HIGH "},
         1, "HIGH (released)" + byMustRun},
        {"inactive must-run, trigger asks", true, json::array({window("true", false)}), LOW,
         Lines{"Include Trigger", "Time out of range", "Release Output ",
               "Setting Output to HIGH "},
         1, "HIGH (released)" + byTrigger},
        {"exclude beats everything", true,
         json::array({window("true", true), window("false", true)}), LOW,
         Lines{"Include Trigger", "Time within range", "Exclude Trigger", "Time within range",
               "Inhibit Output ", "Setting Output to LOW "},
         2,
         "LOW (inhibited) by cfg.timelimits[1]: forces inhibit every day, all day; over "
         "cfg.triggers[0]: AI1 on device a1 at 30 (above 25); cfg.timelimits[0]: forces release "
         "every day, all day"},
        {"two must-run windows", false, json::array({window("true", true), window("true", false)}),
         LOW,
         Lines{"Include Trigger", "Time within range", "Include Trigger", "Time out of range",
               "Release Output ", "Setting Output to HIGH "},
         1, "HIGH (released)" + byMustRun},
        {"mustrun is case-sensitive", false, json::array({window("True", true)}), LOW,
         Lines{"Exclude Trigger", "Time within range", "Inhibit Output ", "Setting Output to LOW "},
         2, "LOW (inhibited) by cfg.timelimits[0]: forces inhibit every day, all day"},
        {"resting high, released", true, noWindows, HIGH,
         Lines{"Release Output ", "Setting Output to LOW "}, 2, "LOW (released)" + byTrigger},
        {"resting high, inhibited", false, noWindows, HIGH,
         Lines{"Inhibit Output ", "Setting Output to HIGH "}, 1, "HIGH (inhibited)" + noRule},
        {"no resting state", true, noWindows, cObject::IOSTATE_NONE, Lines{"Release Output "}, 0,
         "none (released)" + byTrigger},
    };
    for (const Case& c : cases) {
        build({{"output", {{"label", "DO1"}, {"deviceid", "a1"}}},
               {"triggers", {analog("AI1", "a1", "gt", "25")}},
               {"timelimits", c.windows}});
        service->analogInput("AI1", 0xa1, c.triggerAsks ? 30.0F : 20.0F);
        service->digitalOutput("DO1", 0xa1, 3, cObject::IOSTATE_NONE, c.defaultState);
        capture.clear();
        engine->update_ports();
        Lines lines = c.lines;
        lines.push_back("DO1 on device a1: " + c.history);
        EXPECT_EQ(linesAfter("Port Label:DO1 "), lines) << c.name;
        EXPECT_EQ(capture.events().back().category, "Output") << c.name;
        EXPECT_EQ(service->written, (std::vector<Written>{{161, 3, c.written, 0, ""}})) << c.name;
        // The same write again is no news.
        capture.clear();
        engine->update_ports();
        EXPECT_EQ(linesAfter("Port Label:DO1 "), c.lines) << c.name;
    }
}

TEST_F(Engine, DebugOffLogsOnlyInfoLines) {
    build({{"triggers", {digital("DI1", "1", "alarm")}}});
    log4cpp::Category::getRoot().setPriority(log4cpp::Priority::INFO);
    service->answer(std::make_unique<cObject>(12));
    engine->update_ports();
    EXPECT_EQ(capture.messages(),
              (Lines{"Found some triggers...1 of them", digital("DI1", "1", "alarm").dump(),
                     "Digital", "We don't handle this type",
                     " on device 0: none (inhibited): no rule asks for release"}));
    EXPECT_EQ(service->written.size(), 1U);
}

}  // namespace

// tarwendle-check as an integrator runs it: a file, options, a verdict, and
// the one line that says why.
#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CheckCommand.h"
#include "ConfigCheck.h"
#include "RunningSimulator.h"
#include "ServiceProbe.h"
#include "TempFolder.h"

namespace {

const std::string T302 = "[json.exception.type_error.302] type must be ";

// The worked example: two triggers, a must-run window on weekdays and a
// nightly exclude window.
const char* const EXAMPLE = R"({
    "ovt": { "crap": "example configuration" },
    "cfg": {
        "output": { "label": "DO1", "deviceid": "a1" },
        "triggers": [
            { "type": "digital", "label": "DI1", "deviceid": "a1", "operation": "alarm" },
            { "type": "analog", "label": "AI1", "deviceid": "a1", "operation": "gt", "value": "25.0" }
        ],
        "timelimits": [
            { "days": [1, 2, 3, 4, 5], "from": "07:30", "to": "08:00", "mustrun": "true" },
            { "days": [], "from": "00:00", "to": "04:59", "mustrun": "false" }
        ]
    }
})";

// A configuration of one digital trigger and, optionally, one window entry
// (JSON text) or other members of "cfg".
std::string withTrigger(const std::string& trigger, const std::string& rest = "") {
    return R"({"cfg": {"output": {"label": "DO1", "deviceid": "a1"}, "triggers": [)" + trigger +
           "]" + rest + "}}";
}
const std::string DI1 =
    R"({"type": "digital", "label": "DI1", "deviceid": "a1", "operation": "alarm"})";
std::string withWindow(const std::string& window) {
    return withTrigger(DI1, R"(, "timelimits": [)" + window + "]");
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class CheckCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Local times in the tests are UTC.
        const char* zone = ::getenv("TZ");
        savedZone = zone != nullptr ? zone : "";
        hadZone = zone != nullptr;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override {
        if (hadZone) {
            ::setenv("TZ", savedZone.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

    // Writes the document (none for nullptr) and runs the command on it;
    // "F" in an argument stands for the file.
    Outcome check(const char* document, std::vector<std::string> arguments = {"F"}) {
        std::remove(file.c_str());
        if (document != nullptr) {
            std::ofstream(file) << document;
        }
        for (std::string& argument : arguments) {
            if (argument == "F") {
                argument = file;
            }
        }
        std::ostringstream out;
        std::ostringstream err;
        const int status = CheckCommand::run(arguments, out, err);
        return {status, out.str(), err.str()};
    }

    // The text with every "F" at the start of a line or after a space made
    // the file's path.
    std::string named(const std::string& text) const {
        if (text.rfind("F:", 0) == 0) {
            return file + text.substr(1);
        }
        return text;
    }

    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> all;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            all.push_back(line);
        }
        return all;
    }

    TempFolder folder{"tarwendle-check-test"};
    std::string file = folder.file("tarwendle.json");
    std::string savedZone;
    bool hadZone = false;
};

bool holds(const std::vector<std::string>& all, const std::string& line) {
    return std::find(all.begin(), all.end(), line) != all.end();
}

// Each row: a document, the arguments, the exit status, and the line of
// standard error (or, for "out", of standard output) that matters.
TEST_F(CheckCommandTest, VerdictAndTheLineThatMatters) {
    const std::string deep = "{\"cfg\": " + std::string(300, '[') + std::string(300, ']') + "}";
    const std::string huge = R"({"cfg": {"output": {"label": ")" + std::string(1 << 20, 'x') +
                             R"(", "deviceid": "a1"}}})";
    const struct {
        const char* name;
        std::string document;
        std::vector<std::string> arguments;
        int status;
        bool onOut;
        std::string line;
    } rows[] = {
        {"starts", EXAMPLE, {"F"}, 0, true, "F: the service would start"},
        // Errors: where, the entry's key, the library's own text.
        {"parse error",
         "{\"cfg\": {\n  \"triggers\": [ x ]}}",
         {"F"},
         1,
         false,
         "F:2:17: error: [json.exception.parse_error.101] parse error at line 2, column 17: syntax "
         "error while parsing value - invalid literal; last read: '\"triggers\": [ x'"},
        {"parse error caret",
         "{\"cfg\": {\n  \"triggers\": [ x ]}}",
         {"F"},
         1,
         false,
         "                      ^"},
        {"missing file",
         "",
         {"/no/such/file.json"},
         1,
         false,
         "/no/such/file.json: error: cannot be read: No such file or directory "
         "([json.exception.parse_error.101] parse error at line 1, column 1: syntax error while "
         "parsing value - unexpected end of input; expected '[', '{', or a literal)"},
        {"too deep",
         deep,
         {"F"},
         1,
         false,
         "F: error: configuration nested deeper than 256 levels"},
        {"not an object",
         "[1]",
         {"F"},
         1,
         false,
         "F: error: the document is not a JSON object ([json.exception.type_error.305] cannot use "
         "operator[] with a string argument with array)"},
        {"setting",
         R"({"ovt": {"crap": 5}})",
         {"F"},
         1,
         false,
         "F: error: ovt.crap: is not a text (" + T302 + "string, but is number)"},
        {"cfg a number",
         R"({"cfg": 5})",
         {"F"},
         1,
         false,
         "F: error: cfg: 5 is not an object ([json.exception.type_error.305] cannot use "
         "operator[] with a string argument with number)"},
        {"time of day",
         withWindow(R"({"days": [1], "from": "ab:00", "to": "", "mustrun": "true"})"),
         {"F"},
         1,
         false,
         "F: error: cfg.timelimits[0].from: \"ab:00\" is not a time of day (stoi)"},
        {"the entry",
         withWindow(R"({"days": [1], "from": "ab:00", "to": "", "mustrun": "true"})"),
         {"F"},
         1,
         false,
         R"(  entry: {"days":[1],"from":"ab:00","mustrun":"true","to":""})"},
        {"day a text",
         withWindow(R"({"days": "Mon", "from": "", "to": "", "mustrun": "true"})"),
         {"F"},
         1,
         false,
         "F: error: cfg.timelimits[0].days: \"Mon\" is not a day of the week (" + T302 +
             "number, but is string)"},
        {"mustrun missing",
         withWindow(R"({"days": [1], "from": "", "to": ""})"),
         {"F"},
         1,
         false,
         "F: error: cfg.timelimits[0].mustrun: is missing (" + T302 + "string, but is null)"},
        {"device id a number",
         withTrigger(R"({"type": "digital", "label": "DI1", "deviceid": 161})"),
         {"F"},
         1,
         false,
         "F: error: cfg.triggers[0].deviceid: 161 is not a device id text (" + T302 +
             "string, but is number)"},
        {"label NUL",
         withTrigger(R"({"type": "digital", "label": "DI1\u0000X", "deviceid": "a1"})"),
         {"F"},
         1,
         false,
         "F: error: cfg.triggers[0].label: \"DI1\\u0000X\" is not a port label (label holds a NUL "
         "character)"},
        {"level",
         withTrigger(R"({"type": "analog", "label": "AI1", "deviceid": "a1", "value": "V5"})"),
         {"F"},
         1,
         false,
         "F: error: cfg.triggers[0].value: \"V5\" is not a number (stof)"},
        {"triggers a number",
         R"({"cfg": {"triggers": 5}})",
         {"F"},
         1,
         false,
         "F: error: cfg.triggers: 5 is not an object ([json.exception.type_error.305] cannot use "
         "operator[] with a string argument with number)"},
        {"output label",
         R"({"cfg": {"output": {"deviceid": "a1"}}})",
         {"F"},
         1,
         false,
         "F: error: cfg.output.label: is missing (" + T302 + "string, but is null)"},
        {"request too large",
         huge,
         {"F"},
         1,
         false,
         "F: error: cfg: the request for 1 objects cannot be sent to the object service: message "
         "of 1048664 bytes exceeds 1048576"},
        // Warnings: the service starts, and does something else than meant.
        {"windows without triggers",
         R"({"cfg": {"timelimits": [{"days": [], "from": "", "to": "", "mustrun": "true"}]}})",
         {"F"},
         0,
         false,
         "F: warning: cfg.timelimits: is ignored: windows are read only when \"triggers\" is "
         "present and not null (an empty list will do)"},
        {"mustrun look-alike",
         withWindow(R"({"days": [1], "from": "", "to": "", "mustrun": "True"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.timelimits[0].mustrun: \"True\" is not \"true\": this window forces "
         "inhibit, not release"},
        {"type",
         withTrigger(R"({"type": "digtal", "label": "DI1", "deviceid": "a1"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.triggers[0].type: \"digtal\" is neither \"digital\" nor \"analog\": the "
         "entry is skipped"},
        {"operation",
         withTrigger(R"({"type": "digital", "label": "DI1", "deviceid": "a1", "operation": "on"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.triggers[0].operation: \"on\" is neither \"alarm\" nor \"noalarm\": the "
         "trigger never releases"},
        {"stop before start",
         withWindow(R"({"days": [1], "from": "22:00", "to": "06:00", "mustrun": "true"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.timelimits[0]: stops before it starts: it never matches (a window does "
         "not wrap past midnight; split it in two)"},
        {"hour 24",
         withWindow(R"({"days": [1], "from": "", "to": "24:00", "mustrun": "true"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.timelimits[0].to: \"24:00\" is read as hour 24, minute 0, which no clock "
         "shows"},
        {"minute 60",
         withWindow(R"({"days": [1], "from": "7:60", "to": "", "mustrun": "true"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.timelimits[0].from: \"7:60\" is read as hour 7, minute 60, which no "
         "clock shows"},
        {"day 7",
         withWindow(R"({"days": [1, 7], "from": "", "to": "", "mustrun": "true"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.timelimits[0].days[1]: 7 is not a day of the week (0 is Sunday, 6 "
         "Saturday): it never matches"},
        {"no colon",
         withWindow(R"({"days": [1], "from": "7", "to": "", "mustrun": "true"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.timelimits[0].from: \"7\" has no colon: it means hour 7, minute 7"},
        {"device id text",
         withTrigger(
             R"({"type": "digital", "label": "DI1", "deviceid": "1f-x", "operation": "alarm"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.triggers[0].deviceid: \"1f-x\" ends in \"-x\", which is ignored: it is "
         "read as device 1f"},
        {"invisible character in a label",
         withTrigger(
             R"({"type": "digital", "label": "DI\u200b1", "deviceid": "a1", "operation": "alarm"})"),
         {"F", "--strict"},
         1,
         false,
         "F: warning: cfg.triggers[0].label: holds a control, direction or invisible character: "
         "the log shows it as DI\\xE2\\x80\\x8B1"},
        {"no device id",
         R"({"cfg": {"output": {"label": "DO1", "deviceid": "x"}, "triggers": []}})",
         {"F"},
         0,
         false,
         "F: warning: cfg.output.deviceid: \"x\" has no hexadecimal digits: it is read as device "
         "0"},
        {"device id beyond 32 bits",
         withTrigger(
             R"({"type": "digital", "label": "DI1", "deviceid": "ffffffff0", "operation": "alarm"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.triggers[0].deviceid: \"ffffffff0\" does not fit in 32 bits: it is read "
         "as device ffffffff"},
        {"negative device id",
         withTrigger(
             R"({"type": "digital", "label": "DI1", "deviceid": "-1", "operation": "alarm"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.triggers[0].deviceid: \"-1\" is negative: it wraps around 2^32 and is "
         "read as device ffffffff"},
        {"level text",
         withTrigger(
             R"({"type": "analog", "label": "AI1", "deviceid": "a1", "operation": "gt", "value": "12.5V"})"),
         {"F"},
         0,
         false,
         "F: warning: cfg.triggers[0].value: \"12.5V\" ends in \"V\", which is ignored: the level "
         "is 12.5"},
        {"twice",
         withTrigger(DI1 + ", " + DI1),
         {"F"},
         0,
         false,
         "F: warning: cfg.triggers[1]: is the same trigger as cfg.triggers[0]"},
        {"unknown member",
         withTrigger(DI1, R"(, "timelimit": [])"),
         {"F"},
         0,
         false,
         "F: warning: cfg.timelimit: is not a setting here: it is ignored"},
        {"strict",
         withTrigger(DI1, R"(, "timelimit": [])"),
         {"--strict", "F"},
         1,
         true,
         "F: the service would start, with 1 warning"},
        // Usage errors.
        {"unknown option",
         EXAMPLE,
         {"--bogus", "F"},
         2,
         false,
         "tarwendle-check: unknown option --bogus"},
        {"two files", EXAMPLE, {"F", "F"}, 2, false, "tarwendle-check: one file at a time"},
        {"input without a moment",
         EXAMPLE,
         {"F", "--input", "DI1@a1=alarm"},
         2,
         false,
         "tarwendle-check: --input and --default explain a moment: they need --at"},
        {"no such day",
         EXAMPLE,
         {"F", "--at", "2026-02-30 10:00"},
         2,
         false,
         "tarwendle-check: --at: 2026-02-30 10:00 is not a date"},
        {"bad input",
         EXAMPLE,
         {"F", "--at", "2026-12-07 10:00", "--input", "DI1@a1=on"},
         2,
         false,
         "tarwendle-check: --input state must be alarm, clear, missing or a number, not \"on\""},
        {"resting state",
         EXAMPLE,
         {"F", "--at", "2026-12-07 10:00", "--default", "off"},
         2,
         false,
         "tarwendle-check: --default must be high or low, not \"off\""},
        {"period without a watch",
         EXAMPLE,
         {"F", "--every", "5"},
         2,
         false,
         "tarwendle-check: --every and --polls pace a watch: they need --watch"},
        {"period of nothing",
         EXAMPLE,
         {"F", "--watch", "--every", "0"},
         2,
         false,
         "tarwendle-check: --every wants seconds from 1 to 86400, not \"0\""},
        {"negative polls",
         EXAMPLE,
         {"F", "--watch", "--polls", "-3"},
         2,
         false,
         "tarwendle-check: --polls wants a number of polls from 1, not \"-3\""},
        {"watch and moment",
         EXAMPLE,
         {"F", "--watch", "--at", "2026-12-07 10:00"},
         2,
         false,
         "tarwendle-check: --watch runs alone: not with --at, --probe or --svg"},
        {"strict watch",
         withTrigger(DI1, R"(, "timelimit": [])"),
         {"--strict", "--watch", "F"},
         1,
         true,
         "--strict: the warnings fail the check"},
    };
    for (const auto& row : rows) {
        const Outcome outcome = check(row.document.c_str(), row.arguments);
        EXPECT_EQ(outcome.status, row.status) << row.name << "\n" << outcome.err;
        const std::vector<std::string> shown = lines(row.onOut ? outcome.out : outcome.err);
        EXPECT_TRUE(holds(shown, named(row.line))) << row.name << ": no line\n"
                                                   << named(row.line) << "\nin\n"
                                                   << (row.onOut ? outcome.out : outcome.err);
    }
}

// A malformed document in a FIFO is explained from what was read: opening
// it again would wait for a writer for ever.
TEST_F(CheckCommandTest, MalformedDocumentInAFifoIsNotReadTwice) {
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    std::thread writer([this] { std::ofstream(file) << "{\"cfg\": nope}"; });
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(CheckCommand::run({file}, out, err), 1);
    writer.join();
    EXPECT_NE(err.str().find("parse error at line 1, column 10"), std::string::npos) << err.str();
}

// The packaged service runs as its own user, not as whoever checks.
TEST_F(CheckCommandTest, FileTheServiceUserCannotRead) {
    const passwd* user = ::getpwnam("tarwendle");
    if (user == nullptr || ::geteuid() == user->pw_uid) {
        GTEST_SKIP() << "no service user to judge by";
    }
    std::ofstream(file) << EXAMPLE;
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    ASSERT_EQ(::chown(file.c_str(), ::geteuid() == 0 ? 0 : ::geteuid(), ::getegid()), 0);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(CheckCommand::run({file}, out, err), 0);
    EXPECT_TRUE(holds(lines(err.str()),
                      file + ": warning: (file): user tarwendle, which the service runs as, cannot "
                             "read it: the service would not start from it"))
        << err.str();
}

// The rules in words and the week, as the example shows them.
TEST_F(CheckCommandTest, ExampleReportWhole) {
    const Outcome outcome = check(EXAMPLE);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out,
              named("F: the service would start\n") +
                  "Rules:\n"
                  "  cfg.output: drives DO1 on device a1\n"
                  "  cfg.triggers[0]: releases while DI1 on device a1 is in alarm\n"
                  "  cfg.triggers[1]: releases while AI1 on device a1 is above 25\n"
                  "  cfg.timelimits[0]: forces release Mon\u2013Fri 07:30\u201308:00:59\n"
                  "  cfg.timelimits[1]: forces inhibit every day 00:00\u201304:59:59\n"
                  "Week, local time, one column per 30 minutes:\n"
                  "      00    03    06    09    12    15    18    21    24\n"
                  "Sun   xxxxxxxxxx......................................\n"
                  "Mon   xxxxxxxxxx.....#r...............................\n"
                  "Tue   xxxxxxxxxx.....#r...............................\n"
                  "Wed   xxxxxxxxxx.....#r...............................\n"
                  "Thu   xxxxxxxxxx.....#r...............................\n"
                  "Fri   xxxxxxxxxx.....#r...............................\n"
                  "Sat   xxxxxxxxxx......................................\n"
                  "      # forced release   x forced inhibit   . left to the triggers\n"
                  "      r, i: forced release or inhibit for part of the slot; +: both\n");
}

// Every row of the decision table, at a moment of Monday 7 December 2026:
// a must-run window 08:00 to 12:59 and an exclude window 12:00 to 12:59.
TEST_F(CheckCommandTest, ExplainsEveryRowOfTheDecision) {
    const std::string document = withTrigger(DI1, R"(, "timelimits": [
            {"days": [1], "from": "08:00", "to": "12:59", "mustrun": "true"},
            {"days": [1], "from": "12:00", "to": "12:59", "mustrun": "false"}])");
    const struct {
        const char* at;
        const char* input;
        const char* resting;
        const char* trigger;
        const char* decision;
        const char* sent;
    } rows[] = {
        {"07:00", "clear", "low", "not in alarm: does not ask for release", "inhibit", "LOW"},
        {"07:00", "alarm", "low", "in alarm: asks for release", "release", "HIGH"},
        {"07:00", "missing", "low", "not reported: does not ask for release", "inhibit", "LOW"},
        {"08:30", "clear", "low", "not in alarm: does not ask for release", "release", "HIGH"},
        {"12:30", "alarm", "low", "in alarm: asks for release", "inhibit", "LOW"},
        {"12:30", "clear", "low", "not in alarm: does not ask for release", "inhibit", "LOW"},
        {"07:00", "alarm", "high", "in alarm: asks for release", "release", "LOW"},
    };
    for (const auto& row : rows) {
        const Outcome outcome =
            check(document.c_str(), {"F", "--at", std::string("2026-12-07 ") + row.at, "--input",
                                     std::string("DI1@a1=") + row.input, "--default", row.resting});
        const std::vector<std::string> shown = lines(outcome.out);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_TRUE(holds(shown, std::string("  cfg.triggers[0]: DI1 on device a1 ") + row.trigger))
            << row.at << " " << row.input << "\n"
            << outcome.out;
        const std::string result = std::string("Result: ") + row.decision +
                                   ". With the resting state " +
                                   (row.resting == std::string("low") ? "LOW" : "HIGH") +
                                   ", the service sends " + row.sent + " to DO1 on device a1.";
        EXPECT_TRUE(holds(shown, result)) << row.at << " " << row.input << "\n" << outcome.out;
    }
    const Outcome both = check(document.c_str(), {"F", "--at", "2026-12-07 12:30"});
    EXPECT_TRUE(holds(lines(both.out),
                      "  cfg.timelimits[0]: forces release Mon 08:00\u201312:59:59: active"));
    EXPECT_TRUE(holds(lines(both.out),
                      "  cfg.timelimits[1]: forces inhibit Mon 12:00\u201312:59:59: active"));
    EXPECT_TRUE(holds(lines(both.out), "At Mon 2026-12-07 12:30 UTC:"));
}

// One read of the configured ports, never a write.
TEST_F(CheckCommandTest, ProbeNamesThePortsTheServiceDoesNotAnswer) {
    const std::string stateFile = folder.file("state.json");
    std::ofstream(stateFile) << R"({
        "digital_inputs": [{"label": "DI1", "deviceid": "a1", "status": 1}],
        "analog_inputs": [{"label": "AI1", "deviceid": "a1", "value": 21.5}],
        "digital_outputs": [{"label": "DO1", "deviceid": "a1", "portid": 3, "default": 2, "state": 2}]})";
    RunningSimulator service(stateFile, "", 0);
    const struct {
        std::string document;
        bool answered;
        std::string line;
    } rows[] = {
        {EXAMPLE, true, "  cfg.triggers[0]: DI1 on device a1: in alarm"},
        {EXAMPLE, true, "  cfg.triggers[1]: AI1 on device a1: value 21.5"},
        {EXAMPLE, true, "  cfg.output: DO1 on device a1: output LOW, resting LOW, port id 3"},
        {withTrigger(
             R"({"type": "digital", "label": "DI1", "deviceid": "b1", "operation": "alarm"})"),
         false,
         "  cfg.triggers[0]: DI1 on device b1: not answered: no such port (check label and device "
         "id)"},
    };
    for (const auto& row : rows) {
        std::ofstream(file) << row.document;
        ConfigCheck config(file);
        ASSERT_TRUE(config.starts());
        std::ostringstream out;
        EXPECT_EQ(ServiceProbe::probe(config, "127.0.0.1", service.port(), out), row.answered);
        EXPECT_TRUE(holds(lines(out.str()), row.line)) << out.str();
    }
    service.stop();
    EXPECT_EQ(service.out.str().find("set "), std::string::npos) << service.out.str();
    std::remove(stateFile.c_str());

    // Nothing listens there any more.
    std::ofstream(file) << EXAMPLE;
    ConfigCheck config(file);
    std::ostringstream out;
    EXPECT_FALSE(ServiceProbe::probe(config, "127.0.0.1", service.port(), out));
    EXPECT_NE(out.str().find("  cannot read from it: "), std::string::npos) << out.str();
}

}  // namespace

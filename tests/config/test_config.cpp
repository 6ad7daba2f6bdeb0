// The configuration store: loading, settings, the IO-data copy, and the
// errors of the JSON library passed on unchanged.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "CapturingAppender.h"
#include "Config.h"

namespace {

class ConfigStore : public ::testing::Test {
protected:
    CapturingAppender capture;

    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    // The store is a process singleton; each case starts from scratch.
    static void reset() {
        delete Config::_Config;
        Config::_Config = nullptr;
    }

    static std::string file(const std::optional<std::string>& text) {
        // ctest runs cases as parallel processes: each needs a file of its own.
        std::string path =
            ::testing::TempDir() + "tarwendle-config-" + std::to_string(getpid()) + ".json";
        std::remove(path.c_str());
        if (text) {
            std::ofstream(path) << *text;
        }
        return path;
    }
};

const char* const kEmptyInput =
    "[json.exception.parse_error.101] parse error at line 1, column 1: syntax error while "
    "parsing value - unexpected end of input; expected '[', '{', or a literal";

// A file's text (none: no file), and what loading it logs or raises.
struct LoadCase {
    const char* name;
    std::optional<std::string> text;
    std::string said;
};

TEST_F(ConfigStore, LoadLogsStartThenTheCompactIoSection) {
    const std::vector<LoadCase> cases = {
        {"sorted and compact",
         R"({"cfg": {"triggers": [ {"type":"digital"} ], "output": {"label":"DO1"}}})",
         R"({"output":{"label":"DO1"},"triggers":[{"type":"digital"}]})"},
        {"no cfg", R"({"ovt": {"crap": "x"}})", "null"},
        {"null document", "null", "null"},
        {"later duplicate wins", R"({"cfg": 1, "cfg": {"a": 2, "a": 3}})", R"({"a":3})"},
        {"utf-8 kept",
         "{\"cfg\": \"Relais K\xc3\xbc"
         "che\"}",
         "\"Relais K\xc3\xbc"
         "che\""},
        {"trailing white space", "{\"cfg\": []}\n\n  ", "[]"},
    };
    for (const LoadCase& c : cases) {
        reset();
        capture.clear();
        Config::load(file(c.text));
        ASSERT_NE(Config::_Config, nullptr) << c.name;
        EXPECT_EQ(capture.events(),
                  (std::vector<CapturedEvent>{{"Config", "INFO", "Starting Config"},
                                              {"Config", "INFO", c.said}}))
            << c.name;
    }
}

TEST_F(ConfigStore, LoadFailuresPassTheJsonErrorOnAfterTheStartLine) {
    const std::vector<LoadCase> cases = {
        {"missing file", std::nullopt, kEmptyInput},
        {"empty file", "", kEmptyInput},
        {"comment", "// note\n{}",
         "[json.exception.parse_error.101] parse error at line 1, column 1: syntax error while "
         "parsing value - invalid literal; last read: '/'"},
        {"trailing text", "{} x",
         "[json.exception.parse_error.101] parse error at line 1, column 4: syntax error while "
         "parsing value - invalid literal; last read: '{} x'; expected end of input"},
        {"top-level array", "[1]",
         "[json.exception.type_error.305] cannot use operator[] with a string argument with array"},
        {"top-level text", "\"cfg\"",
         "[json.exception.type_error.305] cannot use operator[] with a string argument with "
         "string"},
    };
    for (const LoadCase& c : cases) {
        capture.clear();
        try {
            Config::load(file(c.text));
            ADD_FAILURE() << c.name << ": no error";
        } catch (const nlohmann::json::exception& e) {
            EXPECT_EQ(std::string(e.what()), c.said) << c.name;
        }
        EXPECT_EQ(Config::_Config, nullptr) << c.name;
        EXPECT_EQ(capture.messages(), std::vector<std::string>{"Starting Config"}) << c.name;
    }
}

// A folder is as unreadable as a missing file, and fails the same way.
TEST_F(ConfigStore, FolderFailsLikeAMissingFile) {
    try {
        Config::load(::testing::TempDir());
        ADD_FAILURE() << "no error";
    } catch (const nlohmann::json::exception& e) {
        EXPECT_EQ(std::string(e.what()), kEmptyInput);
    }
    EXPECT_EQ(Config::_Config, nullptr);
}

// Nesting is limited while parsing, before the recursive copy and dump of
// the IO-data line could exhaust the stack.
TEST_F(ConfigStore, NestingBeyondTheLimitIsRefusedWhileParsing) {
    const auto nested = [](int levels) {
        return R"({"cfg":)" + std::string(levels, '[') + std::string(levels, ']') + "}";
    };
    const std::string refused = "configuration nested deeper than 256 levels";
    struct Case {
        const char* name;
        std::string text;
        bool loads;
    };
    const std::vector<Case> cases = {
        {"at the limit", nested(Config::MAX_NESTING - 1), true},
        {"one level more", nested(Config::MAX_NESTING), false},
        {"deep enough to crash a recursive dump", nested(60000), false},
        {"deep inside ovt", R"({"ovt":{"x":)" + nested(300) + "}}", false},
    };
    for (const Case& c : cases) {
        reset();
        try {
            Config::load(file(c.text));
            EXPECT_TRUE(c.loads) << c.name;
        } catch (const std::out_of_range& e) {
            EXPECT_FALSE(c.loads) << c.name;
            EXPECT_EQ(std::string(e.what()), refused) << c.name;
        }
        EXPECT_EQ(Config::_Config != nullptr, c.loads) << c.name;
    }
}

TEST_F(ConfigStore, GetReturnsTextOrTheDefault) {
    struct Case {
        std::string document;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {R"({})", "fallback"},
        {R"({"ovt": null})", "fallback"},
        {R"({"ovt": {}})", "fallback"},
        {R"({"ovt": {"crap": null}})", "fallback"},
        {R"({"ovt": {"crap": ""}})", ""},
        {R"({"ovt": {"crap": "Text with spaces "}})", "Text with spaces "},
        {R"({"ovt": {"Crap": "other case"}})", "fallback"},
        {"null", "fallback"},
    };
    for (const Case& c : cases) {
        reset();
        Config::load(file(c.document));
        EXPECT_EQ(Config::get("crap", "fallback"), c.expected) << c.document;
        EXPECT_EQ(Config::get("crap", "fallback"), c.expected) << c.document << " (asked twice)";
    }
}

TEST_F(ConfigStore, GetRejectsValuesThatAreNotText) {
    struct Case {
        std::string document;
        std::string error;
    };
    const std::vector<Case> cases = {
        {R"({"ovt": {"crap": 5}})",
         "[json.exception.type_error.302] type must be string, but is number"},
        {R"({"ovt": {"crap": true}})",
         "[json.exception.type_error.302] type must be string, but is boolean"},
        {R"({"ovt": {"crap": {}}})",
         "[json.exception.type_error.302] type must be string, but is object"},
        {R"({"ovt": [1]})",
         "[json.exception.type_error.305] cannot use operator[] with a string argument with array"},
        {R"({"ovt": "text"})",
         "[json.exception.type_error.305] cannot use operator[] with a string argument with "
         "string"},
    };
    for (const Case& c : cases) {
        reset();
        Config::load(file(c.document));
        try {
            Config::get("crap", "null");
            ADD_FAILURE() << c.document << ": no error";
        } catch (const nlohmann::json::type_error& e) {
            EXPECT_EQ(std::string(e.what()), c.error) << c.document;
        }
    }
}

TEST_F(ConfigStore, SecondLoadChangesNothing) {
    Config::load(file(R"({"ovt": {"crap": "first"}})"));
    Config* first = Config::_Config;
    capture.clear();
    Config::load("/nonexistent/other.json");
    EXPECT_EQ(Config::_Config, first);
    EXPECT_TRUE(capture.events().empty());
    EXPECT_EQ(Config::get("crap", "null"), "first");
}

TEST_F(ConfigStore, IoDataIsAnIndependentCopy) {
    Config::load(file(R"({"cfg": {"triggers": [1, 2]}})"));
    nlohmann::json copy = Config::getIOData();
    copy["triggers"].push_back(3);
    copy["extra"] = true;
    EXPECT_EQ(Config::getIOData(), nlohmann::json::parse(R"({"triggers": [1, 2]})"));
}

}  // namespace

// The store's parse against the library's own filtering parse, which limits
// nesting the same way but in quadratic time: both must agree on every
// document, on the value built or on the error's type and text.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "Config.h"

namespace {

using json = nlohmann::json;

// What a parse gives: the compact document, or the error's type and text.
std::string outcome(const std::function<json(std::istream&)>& parse, const std::string& text) {
    std::istringstream in(text);
    try {
        return "value " + parse(in).dump();
    } catch (const std::exception& e) {
        return std::string("error ") + typeid(e).name() + ": " + e.what();
    }
}

json referenceParse(std::istream& in) {
    const json::parser_callback_t limitNesting = [](int depth, json::parse_event_t event,
                                                    json& /*parsed*/) {
        if (depth >= Config::MAX_NESTING && (event == json::parse_event_t::object_start ||
                                             event == json::parse_event_t::array_start)) {
            throw std::out_of_range("configuration nested deeper than " +
                                    std::to_string(Config::MAX_NESTING) + " levels");
        }
        return true;
    };
    return json::parse(in, limitNesting, true, false);
}

std::string nested(int levels, const std::string& inside = "") {
    return std::string(levels, '[') + inside + std::string(levels, ']');
}

TEST(ParseDocument, AgreesWithTheLibrarysFilteringParse) {
    const int limit = Config::MAX_NESTING;
    const std::vector<std::string> documents = {
        // Values built.
        R"({"cfg": {"b": [1, -2, 3.5, 1e3, 18446744073709551615, true, null], "a": {}}})",
        R"({"a": {"x": 1, "x": {"y": 2}}, "a": {"x": 3, "x": [4]}})",
        R"([[], {}, [{}], {"k": [[{"z": []}]]}])",
        R"("text with \"quotes\", \\, \u00e9, \ud83d\ude00 and [brackets {")",
        "\xef\xbb\xbf{\"bom\": 1}",
        "  42  \n",
        "null",
        R"({"cfg": "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["})",
        nested(limit - 1, R"({"k": "\"]]]]"})") + "",
        R"({"cfg":)" + nested(limit - 1) + "}",
        // Errors of the library, kept as they are.
        "",
        "{\"a\": [1, 2",
        "{\"a\": 1,}",
        "[1] // note",
        "{\"a\": 1} x",
        R"({"a": "\x"})",
        R"({"a": "\ud800"})",
        "{\"a\": \"tab\there\"}",
        "{\"a\": 1e400}",
        "{\"a\": -}",
        "{1: 2}",
        // The limit: `limit` containers open at once, not one more.
        nested(limit),
        nested(limit + 1),
        nested(limit - 1, R"({"a": 1})"),
        nested(limit, R"({"a": 1})"),
        nested(limit - 1, "\"" + nested(5) + "\""),
        R"({"ovt": {"x":)" + nested(300) + "}}",
        // Which error comes first: the one met first in the text.
        nested(limit, "x"),
        nested(limit, "[x"),
        "[x" + nested(limit + 1),
        nested(limit - 1, "1 2") + nested(5),
    };
    for (const std::string& text : documents) {
        EXPECT_EQ(outcome(Config::parseDocument, text), outcome(referenceParse, text))
            << text.substr(0, 120);
    }
}

}  // namespace

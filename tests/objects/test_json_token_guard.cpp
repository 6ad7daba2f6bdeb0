#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "cJsonTokenGuard.h"
#include "cObjectDInput.h"
#include "cObjectFrame.h"

namespace {

// A read answer with one digital input whose label's JSON text is `label`
// (without quotes), made long by `fill` bytes of "x" in front of it.
std::string answerWithLabel(const std::string& label, std::size_t fill) {
    return R"({"version":1,"msgtype":1,"objects":[{"type":2,"label":")" + std::string(fill, 'x') +
           label + R"(","serial":1,"port":0,"status":1}]})";
}

struct GuardCase {
    const char* name;
    std::string label;     // JSON text of the label, without quotes
    std::string accepted;  // the label decoded; empty when refused
    const char* fault;     // the JSON library's words for a refused one
};

void PrintTo(const GuardCase& test, std::ostream* os) {
    *os << test.name;
}

class JsonTokenGuard : public ::testing::TestWithParam<GuardCase> {};

// Long or short, a text decodes as the JSON library alone decodes it; a long
// one it would refuse is refused before, in words of the same kind.
TEST_P(JsonTokenGuard, AcceptsAndRefusesAsTheLibrary) {
    const GuardCase& test = GetParam();
    for (const std::size_t fill : {std::size_t{0}, cJsonTokenGuard::LONG_TOKEN}) {
        const std::string payload = answerWithLabel(test.label, fill);
        cObjectFrame frame;
        std::string why;
        const auto result = frame.decodePayload(payload.data(), payload.size(), &why);
        if (test.fault == nullptr) {
            ASSERT_EQ(result, cObjectFrame::eResult::COMPLETE) << fill << ": " << why;
            EXPECT_EQ(static_cast<cObjectDInput*>(frame.getList().at(0))->getPortLabel(),
                      std::string(fill, 'x') + test.accepted);
            continue;
        }
        ASSERT_EQ(result, cObjectFrame::eResult::MALFORMED) << fill;
        const std::string words = fill == 0
                                      ? "[json.exception.parse_error.101] parse error at line 1"
                                      : "parse error at byte ";
        EXPECT_EQ(why.rfind("undecodable document: " + words, 0), 0U) << fill << ": " << why;
        EXPECT_NE(why.find(test.fault), std::string::npos) << fill << ": " << why;
        EXPECT_LT(why.size(), 250U) << fill;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Labels, JsonTokenGuard,
    ::testing::Values(
        GuardCase{"Utf8OfEveryLength",
                  "a\xc3\xa9\xe2\x82\xac\xed\x9f\xbf\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf",
                  "a\xc3\xa9\xe2\x82\xac\xed\x9f\xbf\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf", nullptr},
        GuardCase{"EveryEscape", R"(\"\\\/\b\f\n\r\t\u00e9\uD83D\uDE00)",
                  "\"\\/\b\f\n\r\t\xc3\xa9\xf0\x9f\x98\x80", nullptr},
        GuardCase{"ByteOfNoCharacter", "a\xff", "", "ill-formed UTF-8 byte"},
        GuardCase{"Overlong", "\xe0\x9f\xbf", "", "ill-formed UTF-8 byte"},
        GuardCase{"SurrogateInUtf8", "\xed\xa0\x80", "", "ill-formed UTF-8 byte"},
        GuardCase{"BeyondUnicode", "\xf4\x90\x80\x80", "", "ill-formed UTF-8 byte"},
        GuardCase{"RawControl", "a\x01", "", "control character"},
        GuardCase{"UnknownEscape", R"(\x)", "", "forbidden character after backslash"},
        GuardCase{"ShortHex", R"(\u12G4)", "", "'\\u' must be followed by 4 hex digits"},
        GuardCase{"HighAlone", R"(\uD800x)", "", "must be followed by U+DC00..U+DFFF"},
        GuardCase{"HighThenNoLow", R"(\uD800\u0041)", "", "must be followed by U+DC00..U+DFFF"},
        GuardCase{"LowAlone", R"(\uDC00)", "", "must follow U+D800..U+DBFF"}),
    [](const ::testing::TestParamInfo<GuardCase>& info) { return info.param.name; });

// What the library would quote whole is quoted bounded: a text that never
// ends (a number too long: test_object_link.cpp); a short fault is the
// library's to name.
TEST(JsonTokenGuardEnds, UnclosedTextAndShortNumber) {
    const std::string unclosed =
        R"({"version":1,"msgtype":1,"objects":[],"error":")" + std::string(5000, 'x');
    const std::string shortNumber =
        R"({"version":1,"msgtype":1,"objects":[],"id":)" + std::string(4000, '0') + "7}";
    cObjectFrame frame;
    std::string why;
    EXPECT_EQ(frame.decodePayload(unclosed.data(), unclosed.size(), &why),
              cObjectFrame::eResult::MALFORMED);
    EXPECT_EQ(why,
              "undecodable document: parse error at byte 5048: invalid string: missing "
              "closing quote; last read: '\"" +
                  std::string(63, 'x') + "\xe2\x80\xa6 (5001 bytes)'");
    // Leading zeros.
    EXPECT_EQ(frame.decodePayload(shortNumber.data(), shortNumber.size(), &why),
              cObjectFrame::eResult::MALFORMED);
    EXPECT_EQ(why.rfind("undecodable document: [json.exception.parse_error.101]", 0), 0U) << why;
}

}  // namespace

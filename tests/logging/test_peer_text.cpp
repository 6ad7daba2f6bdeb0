#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "cPeerText.h"

namespace {

struct PeerTextCase {
    const char* name;
    std::string text;
    std::string shown;
};

void PrintTo(const PeerTextCase& test, std::ostream* os) {
    *os << test.name;
}

class PeerText : public ::testing::TestWithParam<PeerTextCase> {};

TEST_P(PeerText, IsEscapedAndBounded) {
    EXPECT_EQ(cPeerText::bounded(GetParam().text), GetParam().shown);
}

const std::string X64(64, 'x');

INSTANTIATE_TEST_SUITE_P(
    Texts, PeerText,
    ::testing::Values(PeerTextCase{"PlainAndUtf8AsTheyAre",
                                   "DI1 K\xc3\xbc"
                                   "che \xe2\x82\xac \xf0\x9f\x94\xa5",
                                   "DI1 K\xc3\xbc"
                                   "che \xe2\x82\xac \xf0\x9f\x94\xa5"},
                      PeerTextCase{"ControlsAndBackslash",
                                   std::string("a\tb\nc\rd\x01\x7f\\", 10) + '\0',
                                   "a\\tb\\nc\\rd\\x01\\x7F\\\\\\x00"},
                      // A byte of no character, a sequence cut short, an overlong form, a
                      // surrogate, beyond U+10FFFF: each byte on its own.
                      PeerTextCase{"IllFormedUtf8",
                                   "\xff|\xc3|\xc0\xaf|\xed\xa0\x80|\xf4\x90\x80\x80",
                                   "\\xFF|\\xC3|\\xC0\\xAF|\\xED\\xA0\\x80|\\xF4\\x90\\x80\\x80"},
                      // Line breaks and changes of direction that a viewer would obey.
                      PeerTextCase{"NextLineAndRightToLeft",
                                   "a\xc2\x85"
                                   "b\xe2\x80\xae"
                                   "c\xe2\x80\xa8",
                                   "a\\xC2\\x85b\\xE2\\x80\\xAEc\\xE2\\x80\\xA8"},
                      // Characters that show as nothing: zero width space, marks, the
                      // Arabic letter mark, the byte order mark.
                      PeerTextCase{"Invisible", "\xe2\x80\x8b\xe2\x80\x8f\xd8\x9c\xef\xbb\xbf",
                                   "\\xE2\\x80\\x8B\\xE2\\x80\\x8F\\xD8\\x9C\\xEF\\xBB\\xBF"},
                      PeerTextCase{"JustFits", X64, X64},
                      PeerTextCase{"OneByteOver", X64 + "y", X64 + "\xe2\x80\xa6 (65 bytes)"},
                      // The bound is on what is shown: escapes count at their width, and
                      // neither an escape nor a character is cut.
                      PeerTextCase{"EscapesFillTheBound", std::string(20, '\x01'),
                                   [] {
                                       std::string shown;
                                       for (int i = 0; i < 16; ++i) {
                                           shown += "\\x01";
                                       }
                                       return shown + "\xe2\x80\xa6 (20 bytes)";
                                   }()},
                      PeerTextCase{"CharacterNotCut", std::string(63, 'x') + "\xc3\xa9y",
                                   std::string(63, 'x') + "\xe2\x80\xa6 (66 bytes)"}),
    [](const ::testing::TestParamInfo<PeerTextCase>& info) { return info.param.name; });

// A library's label may be null.
TEST(PeerTextOfACText, NullIsEmpty) {
    EXPECT_EQ(cPeerText::bounded(static_cast<const char*>(nullptr)), "");
}

}  // namespace

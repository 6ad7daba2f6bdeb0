#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>

#include "ErrorText.h"
#include "RuleText.h"

namespace {

constexpr uint32_t MAX32 = RuleText::DEVICE_ID_MAX;

// Expected values are those of strtoul where unsigned long has 32 bits.
TEST(RuleTextTest, DeviceIdAsThirtyTwoBitStrtoul) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"00A1", 161},
        {"a1", 161},
        {"0XA1", 161},
        {" \t\n7f", 127},
        {"+10", 16},
        {"1f-x", 31},
        {"xyz", 0},
        {"", 0},
        {"0xg", 0},
        {"- 1", 0},
        {"ffffffff", MAX32},
        {"100000000", MAX32},
        {"fffffffffffffffffffff", MAX32},
        {"-1", MAX32},
        {"  -2", 0xFFFFFFFEU},
        {"-ffffffff", 1},
        {"-0", 0},
        {"-100000000", MAX32},
        {"-fffffffffffffffffffff", MAX32},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(RuleText::toDeviceId(text), expected) << '"' << text << '"';
    }
}

TEST(RuleTextTest, LevelAsStof) {
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<const char*, float> cases[] = {
        {" 12.5V", 12.5F}, {"-2.5", -2.5F}, {"1e3", 1000.0F}, {"0x1p4", 16.0F}, {"-INFINITY", -inf},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(RuleText::toLevel(text), expected) << '"' << text << '"';
    }
    EXPECT_TRUE(std::isnan(RuleText::toLevel("nan")));
}

TEST(RuleTextTest, ClockFieldAsStoiIntoUnsigned) {
    const std::pair<const char*, uint32_t> cases[] = {
        {" +8", 8},
        {"30:59", 30},
        {"-1", 4294967295U},
        {"-2147483648", 2147483648U},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(RuleText::toClockField(text), expected) << '"' << text << '"';
    }
}

TEST(RuleTextTest, ConversionErrorsAreThoseOfTheStandardFunctions) {
    const auto level = [](const char* text) { RuleText::toLevel(text); };
    const auto clockField = [](const char* text) { RuleText::toClockField(text); };
    const std::tuple<void (*)(const char*), const char*, const char*> cases[] = {
        {level, "V12", "invalid_argument: stof"},
        {level, " ", "invalid_argument: stof"},
        {level, "1e39", "out_of_range: stof"},
        {level, "-1e39", "out_of_range: stof"},
        {clockField, "ab", "invalid_argument: stoi"},
        {clockField, "", "invalid_argument: stoi"},
        {clockField, "2147483648", "out_of_range: stoi"},
        {clockField, "-2147483649", "out_of_range: stoi"},
    };
    for (const auto& [convert, text, error] : cases) {
        EXPECT_EQ(errorText([&] { convert(text); }), error) << '"' << text << '"';
    }
}

TEST(RuleTextTest, DayAsTheJsonLibraryConvertsNumbers) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<nlohmann::json, int> cases[] = {
        {3, 3},
        {2.9, 2},
        {-0.5, 0},
        {true, 1},
        {false, 0},
        {1e300, RuleText::NO_DAY},
        {nan, RuleText::NO_DAY},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(RuleText::toDay(value), expected) << value.dump();
    }
    const std::string error = "[json.exception.type_error.302] type must be number, but is ";
    const std::pair<nlohmann::json, const char*> errors[] = {
        {"3", "string"}, {nullptr, "null"}, {{1}, "array"}, {{{"a", 1}}, "object"}};
    for (const auto& [value, kind] : errors) {
        EXPECT_EQ(errorText([&] { RuleText::toDay(value); }), error + kind) << value.dump();
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <string>

#include "ErrorText.h"
#include "WendleEngine.h"

namespace {

using nlohmann::json;
using OutputPort = WendleEngine::OutputPort;

TEST(OutputPortTest, Parse) {
    const std::string error302 = "[json.exception.type_error.302] type must be string, but is ";
    const std::string error305 =
        "[json.exception.type_error.305] cannot use operator[] with a string argument with ";
    const struct {
        json output;
        std::string error;
        const char* label;  // a good label is already set when the device id fails
        unsigned int serial;
    } cases[] = {
        {{{"label", "DO1"}, {"deviceid", "0x00A1"}, {"other", 5}}, "", "DO1", 161},
        {nullptr, "", "before", 7},
        {{{"deviceid", "a1"}}, error302 + "null", "before", 7},
        {{{"label", 3}, {"deviceid", "a1"}}, error302 + "number", "before", 7},
        {{{"label", "DO1"}, {"deviceid", 12}}, error302 + "number", "DO1", 7},
        {"DO1", error305 + "string", "before", 7},
        {json::array({1}), error305 + "array", "before", 7},
    };
    for (const auto& c : cases) {
        OutputPort port;
        port.setPortLabel("before");
        port.setDeviceSerial(7);
        EXPECT_EQ(errorText([&] { port.parse(c.output); }), c.error) << c.output.dump();
        EXPECT_STREQ(port.getPortLabel(), c.label) << c.output.dump();
        EXPECT_EQ(port.getDeviceSerial(), c.serial) << c.output.dump();
    }
}

// Only the default state counts: every starting output state is tried, and
// each operation is applied twice to show that repeating it changes nothing.
TEST(OutputPortTest, InhibitAndReleaseFollowDefaultState) {
    constexpr auto NONE = cObject::IOSTATE_NONE;
    constexpr auto HIGH = cObject::IOSTATE_HIGH;
    constexpr auto LOW = cObject::IOSTATE_LOW;
    constexpr auto OTHER = static_cast<cObject::eObjectIOState>(7);
    constexpr auto UNCHANGED = static_cast<cObject::eObjectIOState>(-1);
    const struct {
        cObject::eObjectIOState defaultState, afterInhibit, afterRelease;
    } cases[] = {{HIGH, HIGH, LOW},
                 {LOW, LOW, HIGH},
                 {NONE, UNCHANGED, UNCHANGED},
                 {OTHER, UNCHANGED, UNCHANGED}};
    for (const auto& c : cases) {
        for (auto start : {NONE, HIGH, LOW, OTHER}) {
            for (auto [operation, expected] : {std::pair{&OutputPort::Inhibit, c.afterInhibit},
                                               std::pair{&OutputPort::Release, c.afterRelease}}) {
                OutputPort port;
                port.setDefaultState(c.defaultState);
                port.setOutputState(start);
                (port.*operation)();
                (port.*operation)();
                EXPECT_EQ(port.getOutputState(), expected == UNCHANGED ? start : expected)
                    << "default " << c.defaultState << ", start " << start;
                EXPECT_EQ(port.getDefaultState(), c.defaultState);
            }
        }
    }
}

}  // namespace

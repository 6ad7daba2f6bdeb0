#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "CaughtStdout.h"
#include "ErrorText.h"
#include "WendleEngine.h"

namespace {

using nlohmann::json;
using AnalogTrigger = WendleEngine::AnalogTrigger;
using DigitalTrigger = WendleEngine::DigitalTrigger;

json entry(json operation, json value = "0") {
    return {{"label", "IN1"}, {"deviceid", "1f-x"}, {"operation", operation}, {"value", value}};
}

TEST(DigitalTriggerTest, OperationAndReleaseTable) {
    const auto SET = cObject::STATUS_ALARM_SET;
    const auto CLEAR = cObject::STATUS_ALARM_CLEAR;
    const struct {
        json operation;
        int32_t code;
        bool onSet, onClear;  // status 0 or any other never releases
    } cases[] = {
        {"alarm", DigitalTrigger::OPERATION_ALARM, true, false},
        {"noalarm", DigitalTrigger::OPERATION_NOALARM, false, true},
        {"Alarm", DigitalTrigger::OPERATION_NONE, false, false},
        {nullptr, DigitalTrigger::OPERATION_NONE, false, false},
        {json::array({"alarm"}), DigitalTrigger::OPERATION_NONE, false, false},
    };
    for (const auto& c : cases) {
        CaughtStdout caught;
        DigitalTrigger trigger(entry(c.operation));
        EXPECT_EQ(caught.text(), "");
        EXPECT_EQ(trigger.operation, c.code) << c.operation.dump();
        EXPECT_STREQ(trigger.getPortLabel(), "IN1");
        EXPECT_EQ(trigger.getDeviceSerial(), 31U);
        for (auto [status, releases] : {std::pair{SET, c.onSet}, std::pair{CLEAR, c.onClear},
                                        std::pair{cObject::STATUS_CLEARED, false},
                                        std::pair{static_cast<cObject::eObjectStatus>(9), false}}) {
            trigger.setPortStatus(status);
            EXPECT_EQ(trigger.shouldRelease(), releases) << c.operation.dump() << " " << status;
        }
    }
}

// Construction and its trace on standard output; a failed construction
// writes nothing.
TEST(AnalogTriggerTest, Construction) {
    const std::string error302 = "[json.exception.type_error.302] type must be string, but is ";
    json noLabel = entry("gt");
    noLabel.erase("label");
    const struct {
        json entry;
        int32_t code;
        std::string trace;
        std::string error;
    } cases[] = {
        {entry("gt", "2.5"), AnalogTrigger::OPERATION_GT, "Level set to '2.5' \n", ""},
        {entry("lt", " 12.5V"), AnalogTrigger::OPERATION_LT, "Level set to '12.5' \n", ""},
        {entry("LT", "1234567"), AnalogTrigger::OPERATION_NONE, "Level set to '1.23457e+06' \n",
         ""},
        {entry("gt", "nan"), AnalogTrigger::OPERATION_GT, "Level set to 'nan' \n", ""},
        {entry("gt", 12.5), 0, "", error302 + "number"},
        {entry("gt", nullptr), 0, "", error302 + "null"},
        {noLabel, 0, "", error302 + "null"},
        {entry("gt", "V12"), 0, "", "invalid_argument: stof"},
    };
    for (const auto& c : cases) {
        CaughtStdout caught;
        const std::string error = errorText([&] {
            AnalogTrigger trigger(c.entry);
            EXPECT_EQ(trigger.operation, c.code);
            EXPECT_EQ(trigger.getDeviceSerial(), 31U);
        });
        EXPECT_EQ(caught.text(), c.trace) << c.entry.dump();
        EXPECT_EQ(error, c.error) << c.entry.dump();
    }
}

TEST(AnalogTriggerTest, ReleaseTable) {
    constexpr int32_t GT = AnalogTrigger::OPERATION_GT;
    constexpr int32_t LT = AnalogTrigger::OPERATION_LT;
    constexpr int32_t NONE = AnalogTrigger::OPERATION_NONE;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // What a reading beyond single precision becomes; compared like any value.
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        int32_t operation;
        float level, value;
        bool releases;
    } cases[] = {
        {GT, 10, 10.5F, true}, {GT, 10, 10, false},      {GT, 10, 9, false},
        {LT, 10, 9, true},     {LT, 10, 10, false},      {LT, 10, 10.5F, false},
        {GT, 10, nan, false},  {LT, 10, nan, false},     {GT, nan, 10, false},
        {LT, nan, 10, false},  {NONE, 10, 10.5F, false}, {NONE, 10, 9, false},
        {GT, 10, inf, true},   {LT, 10, inf, false},     {GT, 10, -inf, false},
        {LT, 10, -inf, true},
    };
    CaughtStdout quiet;
    AnalogTrigger trigger(entry("gt"));
    quiet.text();
    for (const auto& c : cases) {
        trigger.operation = c.operation;
        trigger.level = c.level;
        trigger.setCalculatedValue(c.value);
        EXPECT_EQ(trigger.shouldRelease(), c.releases)
            << "operation " << c.operation << ", level " << c.level << ", value " << c.value;
    }
}

}  // namespace

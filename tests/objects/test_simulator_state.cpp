#include <gtest/gtest.h>

#include <ostream>

#include <nlohmann/json.hpp>
#include <string>

#include "SimulatorState.h"

namespace {

const char* const GOOD = R"({
  "digital_inputs": [{"label": "DI1", "deviceid": "a1", "status": 1}],
  "analog_inputs": [{"label": "AI1", "deviceid": "0xA1", "value": 12.5}],
  "digital_outputs": [{"label": "DO1", "deviceid": "a1", "portid": 3, "default": 2, "state": 2}],
  "fault": "hang"})";

cObjectDInput digitalInput(const char* label, unsigned int serial) {
    cObjectDInput input;
    input.setPortLabel(label);
    input.setDeviceSerial(serial);
    return input;
}

TEST(SimulatorState, MatchesByTypeLabelAndSerial) {
    SimulatorState state;
    std::string why;
    ASSERT_TRUE(state.parse(GOOD, why)) << why;
    EXPECT_EQ(state.getFault(), SimulatorState::eFault::HANG);

    const cObject* found = state.find(digitalInput("DI1", 0xa1));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(dynamic_cast<const cObjectDInput&>(*found).getPortStatus(),
              cObject::STATUS_ALARM_SET);
    EXPECT_EQ(state.find(digitalInput("DI1", 0xa2)), nullptr);
    EXPECT_EQ(state.find(digitalInput("AI1", 0xa1)), nullptr) << "same label, other type";

    cObjectAInput analog;
    analog.setPortLabel("AI1");
    analog.setDeviceSerial(0xa1);
    ASSERT_NE(state.find(analog), nullptr);
    EXPECT_FLOAT_EQ(dynamic_cast<const cObjectAInput&>(*state.find(analog)).getCalculatedValue(),
                    12.5F);
}

TEST(SimulatorState, AppliesOnlyHighOrLowToAnExistingOutput) {
    SimulatorState state;
    std::string why;
    ASSERT_TRUE(state.parse(GOOD, why)) << why;
    cObjectDOutput output;
    output.setPortLabel("DO1");
    output.setDeviceSerial(0xa1);
    const auto current = [&] {
        return dynamic_cast<const cObjectDOutput&>(*state.find(output)).getOutputState();
    };

    EXPECT_FALSE(state.applyOutput(0xa1, 3, 0));
    EXPECT_FALSE(state.applyOutput(0xa1, 3, 3));
    EXPECT_FALSE(state.applyOutput(0xa1, 4, 1));
    EXPECT_FALSE(state.applyOutput(0xa2, 3, 1));
    EXPECT_EQ(current(), cObject::IOSTATE_LOW);
    EXPECT_TRUE(state.applyOutput(0xa1, 3, 1));
    EXPECT_EQ(current(), cObject::IOSTATE_HIGH);

    // A file edited for its inputs leaves the written state; one that gives
    // the output another state moves it.
    nlohmann::json edited = nlohmann::json::parse(GOOD);
    edited["digital_inputs"][0]["status"] = 2;
    ASSERT_TRUE(state.parse(edited.dump(), why)) << why;
    EXPECT_EQ(current(), cObject::IOSTATE_HIGH);
    EXPECT_TRUE(state.applyOutput(0xa1, 3, 2));
    edited["digital_outputs"][0]["state"] = 1;
    ASSERT_TRUE(state.parse(edited.dump(), why)) << why;
    EXPECT_EQ(current(), cObject::IOSTATE_HIGH);
}

// The simulator serves what the file says, also codes that no rule names
// and readings beyond a client's single precision.
TEST(SimulatorState, ServesCodesAndReadingsAsWritten) {
    SimulatorState state;
    std::string why;
    ASSERT_TRUE(state.parse(R"({
        "digital_inputs": [{"label": "DI1", "deviceid": "a1", "status": 3}],
        "analog_inputs": [{"label": "AI1", "deviceid": "a1", "value": 1e39}],
        "digital_outputs": [{"label": "DO1", "deviceid": "a1", "portid": 3, "default": 5,
                             "state": -2}],
        "extra_objects": [{"type": 4, "label": "AI2", "serial": 161, "port": 0, "status": 0,
                           "value": -1e39}]})",
                            why))
        << why;
    const auto served = [](const cObject& held) {
        nlohmann::json wire = nlohmann::json::object();
        held.encode(wire);
        return wire;
    };
    cObjectAInput analog;
    analog.setPortLabel("AI1");
    analog.setDeviceSerial(0xa1);
    cObjectDOutput output;
    output.setPortLabel("DO1");
    output.setDeviceSerial(0xa1);
    EXPECT_EQ(served(*state.find(digitalInput("DI1", 0xa1)))["status"], 3);
    EXPECT_EQ(served(*state.find(analog))["value"], 1e39);
    EXPECT_EQ(served(*state.find(output))["default"], 5);
    EXPECT_EQ(served(*state.find(output))["output"], -2);
    EXPECT_EQ(served(*state.getExtraObjects().at(0))["value"], -1e39);
}

// Extra objects are kept in wire form's classes and in document order,
// including a type code nobody knows.
TEST(SimulatorState, KeepsExtraObjectsInOrder) {
    SimulatorState state;
    std::string why;
    ASSERT_TRUE(state.parse(R"({"extra_objects": [
        {"type": 3, "label": "DO2", "serial": 161, "port": 5, "status": 0, "output": 2,
         "default": 1},
        {"type": 9}]})",
                            why))
        << why;
    const auto& extras = state.getExtraObjects();
    ASSERT_EQ(extras.size(), 2U);
    const auto* output = dynamic_cast<const cObjectDOutput*>(extras[0].get());
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output->getPortId(), 5U);
    EXPECT_EQ(output->getDefaultState(), cObject::IOSTATE_HIGH);
    EXPECT_EQ(extras[1]->getType(), 9);
    EXPECT_EQ(state.find(*output), nullptr) << "extras answer no request of their own";
}

// Any bytes at all, one per character U+0000 to U+00FF.
TEST(SimulatorState, ServesFaultBytesAsWritten) {
    SimulatorState state;
    std::string why;
    ASSERT_TRUE(state.parse(R"({"fault": "bytes", "fault_bytes": "a\u00ff\u0000\u0080"})", why))
        << why;
    EXPECT_EQ(state.getFault(), SimulatorState::eFault::BYTES);
    EXPECT_EQ(state.getFaultBytes(), std::string("a\xff\0\x80", 4));
}

struct BadDocument {
    const char* name;
    const char* text;
    const char* mentions;  // the reason must point at the culprit
};

void PrintTo(const BadDocument& test, std::ostream* os) {
    *os << test.name;
}

class SimulatorStateBad : public ::testing::TestWithParam<BadDocument> {};

TEST_P(SimulatorStateBad, KeepsTheLastGoodState) {
    SimulatorState state;
    std::string why;
    ASSERT_TRUE(state.parse(GOOD, why)) << why;

    EXPECT_FALSE(state.parse(GetParam().text, why));
    EXPECT_NE(why.find(GetParam().mentions), std::string::npos) << why;
    EXPECT_EQ(state.getFault(), SimulatorState::eFault::HANG);
    EXPECT_NE(state.find(digitalInput("DI1", 0xa1)), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, SimulatorStateBad,
    ::testing::Values(
        BadDocument{"Empty", "", "parse"}, BadDocument{"NotAnObject", "[]", "object"},
        BadDocument{"UnknownMember", R"({"digital_input": []})", "digital_input"},
        BadDocument{"ListNotAList", R"({"analog_inputs": {}})", "analog_inputs"},
        BadDocument{"DeviceIdNumber",
                    R"({"digital_inputs": [{"label": "a", "deviceid": 161, "status": 1}]})",
                    "digital_inputs[0].deviceid"},
        BadDocument{"DeviceIdNotHex",
                    R"({"digital_inputs": [{"label": "a", "deviceid": "g1", "status": 1}]})",
                    "not hexadecimal"},
        BadDocument{"DeviceIdTooLong",
                    R"({"digital_inputs": [{"label": "a", "deviceid": "123456789", "status": 1}]})",
                    "deviceid"},
        BadDocument{"StatusBeyondInt",
                    R"({"digital_inputs": [{"label": "a", "deviceid": "1",
                        "status": 2147483648}]})",
                    "digital_inputs[0].status"},
        BadDocument{"DefaultAsText",
                    R"({"digital_outputs": [{"label": "a", "deviceid": "1", "portid": 3,
                        "default": "2", "state": 2}]})",
                    "digital_outputs[0].default"},
        BadDocument{"MissingValue", R"({"analog_inputs": [{"label": "a", "deviceid": "1"}]})",
                    "value"},
        BadDocument{"OutputWithoutPort",
                    R"({"digital_outputs": [{"label": "a", "deviceid": "1", "default": 2,
                        "state": 2}]})",
                    "portid"},
        BadDocument{"UnknownFault", R"({"fault": "smoke"})", "fault"},
        BadDocument{"FaultBytesBeyondAByte", R"({"fault_bytes": "\u0100"})", "fault_bytes"},
        BadDocument{"ExtraWithoutLabel", R"({"extra_objects": [{"type": 2}]})",
                    "extra_objects[0]"}),
    [](const ::testing::TestParamInfo<BadDocument>& info) { return info.param.name; });

}  // namespace

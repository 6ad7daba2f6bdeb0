#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ObjectSimulator.h"
#include "RunningSimulator.h"
#include "TempFolder.h"
#include "cObjectAInput.h"
#include "cObjectClient.h"
#include "cObjectDInput.h"
#include "cObjectDOutput.h"

namespace {

using Clock = std::chrono::steady_clock;

const int SHORT_TIMEOUT_MS = 200;

const char* const STATE = R"({
  "digital_inputs": [{"label": "DI1", "deviceid": "a1", "status": %d}],
  "analog_inputs": [{"label": "AI1", "deviceid": "a1", "value": 12.5}],
  "digital_outputs": [{"label": "DO1", "deviceid": "a1", "portid": 3, "default": 2, "state": 2}],
  "fault": "%s"})";

class ObjectClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeState(1, "none");
        di.setPortLabel("DI1");
        di.setDeviceSerial(0xa1);
        ai.setPortLabel("AI1");
        ai.setDeviceSerial(0xa1);
        output.setPortLabel("DO1");
        output.setDeviceSerial(0xa1);
        missing.setPortLabel("DI9");
        missing.setDeviceSerial(0xa1);
        request.setMsgType(cObjectFrame::MSG_READ);
        request.add(&di);
        request.add(&missing);
        request.add(&ai);
        request.add(&output);
    }

    void writeState(int status, const char* fault) {
        char text[1024];
        std::snprintf(text, sizeof text, STATE, status, fault);
        std::ofstream(stateFile, std::ios::trunc) << text;
    }

    std::vector<std::string> journalLines() const {
        std::ifstream file(journalFile);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    std::unique_ptr<RunningSimulator> startSimulator(int port = 0) {
        return std::make_unique<RunningSimulator>(stateFile, journalFile, port);
    }

    TempFolder folder{"objclient"};
    std::string stateFile = folder.file("state.json");
    std::string journalFile = folder.file("journal.log");
    cObjectDInput di;
    cObjectDInput missing;
    cObjectAInput ai;
    cObjectDOutput output;
    cObjectList request;
};

TEST_F(ObjectClientTest, ReadsAndWritesThroughTheSimulator) {
    auto simulator = startSimulator();
    cObjectClient client;
    ASSERT_TRUE(client.start("127.0.0.1", simulator->port())) << client.getLastError();

    cObjectList* reply = client.get(&request);
    ASSERT_NE(reply, nullptr) << client.getLastError();
    EXPECT_EQ(reply->getMsgType(), cObjectFrame::MSG_READ);
    ASSERT_EQ(reply->numObjects(), 3) << "the unknown port is left out";
    cObject* object = reply->first();
    ASSERT_EQ(object->getType(), cObject::TYPE_DIGITAL_INPUT);
    EXPECT_EQ(static_cast<cObjectDInput*>(object)->getPortStatus(), cObject::STATUS_ALARM_SET);
    object = reply->next();
    ASSERT_EQ(object->getType(), cObject::TYPE_ANALOG_INPUT);
    EXPECT_FLOAT_EQ(static_cast<cObjectAInput*>(object)->getCalculatedValue(), 12.5F);
    object = reply->next();
    ASSERT_EQ(object->getType(), cObject::TYPE_DIGITAL_OUTPUT);
    auto* current = static_cast<cObjectDOutput*>(object);
    EXPECT_EQ(current->getPortId(), 3U);
    EXPECT_EQ(current->getOutputState(), cObject::IOSTATE_LOW);
    EXPECT_EQ(current->getDefaultState(), cObject::IOSTATE_LOW);
    EXPECT_EQ(reply->next(), nullptr);

    // A write as the engine sends it: a fresh output, default state 0.
    cObjectDOutput release;
    release.setDeviceSerial(0xa1);
    release.setPortId(3);
    release.setOutputState(cObject::IOSTATE_HIGH);
    EXPECT_TRUE(client.set(&release)) << client.getLastError();
    EXPECT_EQ(reply->numObjects(), 3) << "a set leaves the last reply alone";
    release.setPortId(4);
    EXPECT_FALSE(client.set(&release)) << "no output with that port id";

    // The reply list is reused, not grown or reallocated.
    cObjectList* again = client.get(&request);
    ASSERT_EQ(again, reply);
    ASSERT_EQ(again->numObjects(), 3);
    EXPECT_EQ(static_cast<cObjectDOutput*>(again->at(2))->getOutputState(), cObject::IOSTATE_HIGH);

    simulator->stop();
    const std::vector<std::string> expected = {
        R"({"op":"get","requested":4,"answered":3})",
        R"({"op":"set","deviceid":"a1","portid":3,"state":1,"applied":true})",
        R"({"op":"set","deviceid":"a1","portid":4,"state":1,"applied":false})",
        R"({"op":"get","requested":4,"answered":3})",
    };
    EXPECT_EQ(journalLines(), expected);
    EXPECT_NE(simulator->out.str().find("get: 4 requested, 3 answered"), std::string::npos)
        << simulator->out.str();
}

// Start-up's measure of a request is what polls send at most, whatever the
// answers fill in: a request that just passes it is sent.
TEST_F(ObjectClientTest, ARequestThatFitsAtStartIsSentByEveryPoll) {
    const auto measure = [](const std::string& label) {
        cObjectDOutput port;
        port.setPortLabel(label.c_str());
        port.setDeviceSerial(0xa1);
        cObjectList list;
        list.setMsgType(cObjectFrame::MSG_READ);
        list.add(&port);
        std::string why;
        return cObjectClient::fitsInAFrame(list, why) ? std::string() : why;
    };
    const std::string over = measure(std::string(cObjectFrame::MAX_PAYLOAD, 'x'));
    std::size_t measured = 0;
    ASSERT_EQ(std::sscanf(over.c_str(),
                          "the request for 1 objects cannot be sent to the object service: "
                          "message of %zu bytes exceeds 1048576",
                          &measured),
              1)
        << over;
    const std::string widest(2 * cObjectFrame::MAX_PAYLOAD - measured, 'x');
    EXPECT_EQ(measure(widest), "");
    EXPECT_EQ(measure(widest + "x"),
              "the request for 1 objects cannot be sent to the object service: message of "
              "1048577 bytes exceeds 1048576");

    // What answers fill in travels no further than the next answer.
    output.setPortLabel(widest.c_str());
    output.setPortId(4294967295U);
    output.setOutputState(cObject::IOSTATE_HIGH);
    output.setDefaultState(static_cast<cObject::eObjectIOState>(-2147483647 - 1));
    request.clear();
    request.add(&output);
    auto simulator = startSimulator();
    cObjectClient client;
    client.start("127.0.0.1", simulator->port());
    EXPECT_NE(client.get(&request), nullptr) << client.getLastError();
}

TEST_F(ObjectClientTest, StateFileChangesApplyAtTheNextRequest) {
    auto simulator = startSimulator();
    cObjectClient client;
    client.start("127.0.0.1", simulator->port());
    const auto status = [&] {
        cObjectList* reply = client.get(&request);
        return reply == nullptr ? -1 : static_cast<cObjectDInput*>(reply->first())->getPortStatus();
    };
    ASSERT_EQ(status(), cObject::STATUS_ALARM_SET);

    // Rewritten within the same second, same size: still seen.
    writeState(2, "none");
    EXPECT_EQ(status(), cObject::STATUS_ALARM_CLEAR);

    std::ofstream(stateFile, std::ios::trunc) << R"({"fault": "smoke"})";
    EXPECT_EQ(status(), cObject::STATUS_ALARM_CLEAR) << "an invalid file keeps the last state";

    writeState(1, "none");
    EXPECT_EQ(status(), cObject::STATUS_ALARM_SET);

    simulator->stop();
    EXPECT_NE(simulator->err.str().find("invalid state file"), std::string::npos)
        << simulator->err.str();
}

TEST_F(ObjectClientTest, ReconnectsAfterTheSimulatorRestarts) {
    auto simulator = startSimulator();
    const int port = simulator->port();
    cObjectClient client;
    client.setTimeout(SHORT_TIMEOUT_MS);
    ASSERT_TRUE(client.start("127.0.0.1", port));
    ASSERT_NE(client.get(&request), nullptr);

    // Restarted between two polls: the stale connection is noticed and replaced.
    simulator.reset();
    simulator = startSimulator(port);
    EXPECT_NE(client.get(&request), nullptr) << client.getLastError();

    // Absent for a poll: that poll fails, the next one after the restart works.
    simulator.reset();
    EXPECT_EQ(client.get(&request), nullptr);
    EXPECT_FALSE(client.getLastError().empty());
    simulator = startSimulator(port);
    EXPECT_NE(client.get(&request), nullptr) << client.getLastError();
}

TEST_F(ObjectClientTest, NothingWorksBeforeStartOrWithoutAService) {
    cObjectClient client;
    EXPECT_EQ(client.get(&request), nullptr);
    cObjectDOutput write;
    EXPECT_FALSE(client.set(&write));

    int freePort = 0;
    {
        auto simulator = startSimulator();
        freePort = simulator->port();
    }
    EXPECT_FALSE(client.start("127.0.0.1", freePort));
    EXPECT_EQ(client.get(&request), nullptr);
    EXPECT_FALSE(client.start("not-an-address", 60000));
}

class ObjectClientFault : public ObjectClientTest,
                          public ::testing::WithParamInterface<const char*> {};

TEST_P(ObjectClientFault, FailsInBoundedTimeThenRecovers) {
    auto simulator = startSimulator();
    cObjectClient client;
    client.setTimeout(SHORT_TIMEOUT_MS);
    ASSERT_TRUE(client.start("127.0.0.1", simulator->port()));
    writeState(1, GetParam());

    const auto started = Clock::now();
    EXPECT_EQ(client.get(&request), nullptr);
    cObjectDOutput write;
    write.setDeviceSerial(0xa1);
    write.setPortId(3);
    write.setOutputState(cObject::IOSTATE_HIGH);
    EXPECT_FALSE(client.set(&write));
    // Two requests on the short bound; one wait on the default bound would
    // take longer than both. No tighter figure: a busy machine adds to it.
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(cObjectClient::DEFAULT_TIMEOUT_MS));

    writeState(1, "none");
    EXPECT_NE(client.get(&request), nullptr) << client.getLastError();

    simulator->stop();
    const std::vector<std::string> lines = journalLines();
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(lines[0], std::string(R"({"op":"get","requested":4,"answered":0,"fault":")") +
                            GetParam() + "\"}");
}

INSTANTIATE_TEST_SUITE_P(Faults, ObjectClientFault, ::testing::Values("hang", "close", "garbage"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "FrameBytes.h"
#include "ObjectSimulator.h"
#include "RunningSimulator.h"
#include "SimulatorState.h"
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

// Start-up's measure is what a poll sends and receives at most, whatever
// the answers fill in: the request with its widest number, the answer with
// every field at its widest. The simulator's widest answer to a request that
// just passes comes through; one byte more, and start-up refuses the request,
// as the simulator refuses to send its answer.
TEST_F(ObjectClientTest, StartUpMeasuresTheWidestRequestAndAnswer) {
    request.clear();
    request.add(&di);
    request.add(&ai);
    request.add(&output);
    const auto measure = [&](std::size_t labelBytes) {
        output.setPortLabel(std::string(labelBytes, 'x').c_str());
        std::string why;
        return cObjectClient::fitsInAFrame(request, why) ? std::string() : why;
    };
    const auto over = [](const std::string& why, const char* format) {
        std::size_t bytes = 0;
        EXPECT_EQ(std::sscanf(why.c_str(), format, &bytes), 1) << why;
        return bytes - cObjectFrame::MAX_PAYLOAD;
    };
    const char* const REQUEST =
        "the request for 3 objects cannot be sent to the object service: "
        "message of %zu bytes exceeds 1048576";
    const char* const ANSWER =
        "the answer to the request for 3 objects may not fit in a frame: "
        "message of up to %zu bytes exceeds 1048576";
    const std::size_t requestFits =
        cObjectFrame::MAX_PAYLOAD - over(measure(cObjectFrame::MAX_PAYLOAD), REQUEST);
    const std::size_t answerFits = requestFits - over(measure(requestFits), ANSWER);
    EXPECT_EQ(measure(answerFits), "");
    EXPECT_EQ(measure(answerFits + 1),
              "the answer to the request for 3 objects may not fit in a frame: message of up to "
              "1048577 bytes exceeds 1048576");

    const auto widestState = [&](std::size_t labelBytes) -> std::string {
        const nlohmann::json widest = {{"digital_inputs",
                                        {{{"label", "DI1"},
                                          {"deviceid", "a1"},
                                          {"portid", 4294967295U},
                                          {"status", -2147483647 - 1}}}},
                                       {"analog_inputs",
                                        {{{"label", "AI1"},
                                          {"deviceid", "a1"},
                                          {"portid", 4294967295U},
                                          {"status", -2147483647 - 1},
                                          {"value", -2.2250738585072014e-308}}}},
                                       {"digital_outputs",
                                        {{{"label", std::string(labelBytes, 'x')},
                                          {"deviceid", "a1"},
                                          {"portid", 4294967295U},
                                          {"status", -2147483647 - 1},
                                          {"default", -2147483647 - 1},
                                          {"state", -2147483647 - 1}}}}};
        std::ofstream(stateFile, std::ios::trunc) << widest.dump();
        output.setPortLabel(std::string(labelBytes, 'x').c_str());
        return widest.dump();
    };

    // The simulator's answer, with the widest number: exactly the bound.
    SimulatorState state;
    std::string why;
    ASSERT_TRUE(state.parse(widestState(answerFits), why)) << why;
    cObjectFrame answer;
    answer.getList().setMsgType(cObjectFrame::MSG_READ);
    for (int i = 0; i < request.numObjects(); ++i) {
        const cObject* held = state.find(*request.at(i));
        ASSERT_NE(held, nullptr) << i;
        answer.getList().adopt(std::unique_ptr<cObject>(held->clone()));
    }
    answer.setRequestId(4294967295U);
    std::string bytes;
    ASSERT_TRUE(answer.encode(bytes, &why)) << why;
    EXPECT_EQ(bytes.size() - cObjectFrame::HEADER_SIZE, cObjectFrame::MAX_PAYLOAD);

    // Through the simulator, whatever number the request carries: a number
    // has 1 to 10 digits.
    auto simulator = startSimulator();
    cObjectClient client;
    client.start("127.0.0.1", simulator->port());
    const cObjectList* reply = client.get(&request);
    ASSERT_NE(reply, nullptr) << client.getLastError();
    EXPECT_EQ(reply->numObjects(), 3);
    widestState(answerFits + 10);
    EXPECT_EQ(client.get(&request), nullptr);
    simulator->stop();
    EXPECT_NE(simulator->err.str().find("objsim: connection closed: the answer cannot be sent: "
                                        "message of 10485"),
              std::string::npos)
        << simulator->err.str();
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

struct ClosingCase {
    const char* name;
    std::string sent;
    std::string said;  // on the simulator's standard error
};

void PrintTo(const ClosingCase& test, std::ostream* os) {
    *os << test.name;
}

class ObjectSimulatorCloses : public ::testing::TestWithParam<ClosingCase> {};

// The simulator says why it closes a connection, quoting a client bounded.
TEST_P(ObjectSimulatorCloses, AndSaysWhy) {
    RunningSimulator simulator("", "", 0);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(simulator.port()));
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string& sent = GetParam().sent;
    ASSERT_EQ(::send(fd, sent.data(), sent.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(sent.size()));
    char byte = 0;
    EXPECT_EQ(::recv(fd, &byte, 1, 0), 0) << "closed without an answer";
    ::close(fd);
    simulator.stop();
    EXPECT_EQ(simulator.err.str(), "objsim: connection closed: " + GetParam().said + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Clients, ObjectSimulatorCloses,
    ::testing::Values(ClosingCase{"AnHttpClient", "GET / HTTP/1.1\r\nHost: objsim\r\n\r\n",
                                  "the client does not speak the object protocol: it sent \"GET / "
                                  "HTTP/1.1\\r\\nHost: objsim\\r\\n\\r\\n\""},
                      ClosingCase{"AFrameOverTheBound", header(cObjectFrame::MAX_PAYLOAD + 1),
                                  "frame of 1048577 bytes exceeds 1048576"}),
    [](const ::testing::TestParamInfo<ClosingCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(Faults, ObjectClientFault, ::testing::Values("hang", "close", "garbage"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace

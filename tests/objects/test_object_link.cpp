#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "CapturingAppender.h"
#include "FrameBytes.h"
#include "cConditionLog.h"
#include "cObjectClient.h"
#include "cObjectDInput.h"
#include "cObjectFrame.h"

namespace {

using RequestId = std::optional<std::uint32_t>;

const char* const DI1_ALARM = R"({"type":2,"label":"DI1","serial":161,"port":0,"status":1})";

// A read answer carrying `id` (none when empty) and the objects given.
std::string answer(RequestId id, const std::string& objects = DI1_ALARM) {
    return frameOf(R"({"version":1,"msgtype":1,"objects":[)" + objects + "]" +
                   (id ? R"(,"id":)" + std::to_string(*id) : std::string()) + "}");
}

// DI1 in alarm `count` times, as one answer's objects.
std::string manyInputs(int count) {
    std::string objects = DI1_ALARM;
    for (int i = 1; i < count; ++i) {
        objects += std::string(",") + DI1_ALARM;
    }
    return objects;
}

/*
 * An object service played from a script: on each connection it first sends
 * `greeting`, then answers every request with what the script makes of the
 * request's number, in one write, as a hostile or confused service would;
 * with `hangUp` it closes the connection after each answer.
 */
class ScriptedService {
public:
    using Script = std::function<std::string(RequestId)>;

    ScriptedService(Script script, std::string greeting, bool hangUp = false)
        : script(std::move(script)), greeting(std::move(greeting)), hangUp(hangUp) {
        listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(listenFd, reinterpret_cast<sockaddr*>(&address), length), 0);
        EXPECT_EQ(::listen(listenFd, 4), 0);
        ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&address), &length);
        boundPort = ntohs(address.sin_port);
        thread = std::thread([this] { serve(); });
    }

    ~ScriptedService() {
        stopping = true;
        ::shutdown(listenFd, SHUT_RDWR);
        ::shutdown(connection.load(), SHUT_RDWR);
        thread.join();
        ::close(listenFd);
    }

    ScriptedService(const ScriptedService&) = delete;
    ScriptedService& operator=(const ScriptedService&) = delete;

    int port() const { return boundPort; }

private:
    static bool readAll(int fd, std::string& into, std::size_t size) {
        into.resize(size);
        for (std::size_t got = 0; got < size;) {
            const ssize_t n = ::recv(fd, &into[got], size - got, 0);
            if (n <= 0) {
                return false;
            }
            got += static_cast<std::size_t>(n);
        }
        return true;
    }

    void serve() {
        while (!stopping) {
            const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                return;
            }
            connection = fd;
            if (stopping) {
                ::shutdown(fd, SHUT_RDWR);
            }
            ::send(fd, greeting.data(), greeting.size(), MSG_NOSIGNAL);
            std::string header;
            std::string payload;
            while (readAll(fd, header, cObjectFrame::HEADER_SIZE) &&
                   readAll(fd, payload,
                           cObjectFrame::readLength(
                               reinterpret_cast<const unsigned char*>(header.data())))) {
                cObjectFrame request(cObjectFrame::eKind::REQUEST);
                request.decodePayload(payload.data(), payload.size());
                const std::string bytes = script(request.getRequestId());
                ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
                if (hangUp) {
                    break;
                }
            }
            connection = -1;
            ::close(fd);
        }
    }

    Script script;
    std::string greeting;
    bool hangUp;
    int listenFd = -1;
    int boundPort = 0;
    std::atomic<int> connection{-1};
    std::atomic<bool> stopping{false};
    std::thread thread;
};

struct LinkCase {
    const char* name;
    std::string greeting;
    ScriptedService::Script script;
    std::string error;  // how the client's reason begins; empty: the answer is taken
    int objects = 1;    // in the answer taken
    bool hangUp = false;
    bool exact = false;  // whether `error` is the whole reason
};

void PrintTo(const LinkCase& test, std::ostream* os) {
    *os << test.name;
}

class ObjectLink : public ::testing::TestWithParam<LinkCase> {};

// Only the answer to the request just sent is taken; anything else ends the
// poll, and the log says why.
TEST_P(ObjectLink, TakesOnlyTheAnswerToTheRequest) {
    const LinkCase& test = GetParam();
    CapturingAppender capture;
    ScriptedService service(test.script, test.greeting, test.hangUp);
    cObjectClient client;
    client.setTimeout(2000);
    ASSERT_TRUE(client.start("127.0.0.1", service.port())) << client.getLastError();
    cObjectDInput di;
    di.setPortLabel("DI1");
    di.setDeviceSerial(0xa1);
    cObjectList request;
    request.setMsgType(cObjectFrame::MSG_READ);
    request.add(&di);

    const cObjectList* reply = client.get(&request);
    if (test.error.empty()) {
        ASSERT_NE(reply, nullptr) << client.getLastError();
        EXPECT_EQ(reply->numObjects(), test.objects);
        EXPECT_TRUE(capture.events().empty());
        return;
    }
    EXPECT_EQ(reply, nullptr);
    if (test.exact) {
        EXPECT_EQ(client.getLastError(), test.error);
    } else {
        EXPECT_EQ(client.getLastError().rfind(test.error, 0), 0U) << client.getLastError();
    }
    // Whatever the answer held, the line that says why stays short.
    EXPECT_LT(client.getLastError().size(), 300U);
    const std::vector<CapturedEvent> logged = {
        {"ObjectClient", "WARN",
         "reading from the object service failed: " + client.getLastError()}};
    EXPECT_EQ(capture.events(), logged);
}

const char* const NOT_THE_ANSWER = "not the answer to the request: ";
// A text that fills nearly all of a frame.
const std::string MEGABYTE(cObjectFrame::MAX_PAYLOAD - 64, 'x');
const std::string MEGABYTE_SIZE = std::to_string(MEGABYTE.size());
const std::string SHOWN = std::string(64, 'x') + "\xe2\x80\xa6 (";
const std::string HTTP_ANSWER = "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n";

// An answer whose every byte the script gives, without a frame around it.
ScriptedService::Script sending(std::string bytes) {
    return [bytes](RequestId) { return bytes; };
}

// A read answer that stops being JSON at its end: `spoiled` is the bad tail.
std::string spoiledAnswer(const std::string& spoiled) {
    return frameOf(R"({"version":1,"msgtype":1,"objects":[],"id":)" + spoiled + "}");
}

// Why a long token is refused, where it goes wrong, quoted bounded.
std::string parseError(std::size_t byte, const std::string& what, const std::string& token) {
    return "malformed answer: undecodable document: parse error at byte " + std::to_string(byte) +
           ": " + what + "; last read: '" + token + "'";
}

const std::size_t NUMBER_STARTS = sizeof R"({"version":1,"msgtype":1,"objects":[],"id":)";

INSTANTIATE_TEST_SUITE_P(
    Answers, ObjectLink,
    ::testing::Values(
        LinkCase{"TheAnswer", "", [](RequestId id) { return answer(id); }, ""},
        LinkCase{"StaleFrameFirst", "",
                 [](RequestId id) { return answer(*id - 1, "") + answer(id); }, NOT_THE_ANSWER},
        LinkCase{"FramePushedOnAccept", answer(std::nullopt, ""),
                 [](RequestId id) { return answer(id); }, NOT_THE_ANSWER},
        // Pushed at accept but come only after the request went out, with the
        // first number a client counting from 1 would send.
        LinkCase{"PushedWithTheFirstNumber", "", [](RequestId) { return answer(1); },
                 "not the answer to the request: it carries number 1, "},
        LinkCase{"WrongNumber", "", [](RequestId id) { return answer(*id + 1); },
                 "not the answer to the request: it carries number "},
        LinkCase{"NoNumber", "", [](RequestId) { return answer(std::nullopt); },
                 "not the answer to the request: it carries number none"},
        LinkCase{"BytesAfterTheAnswer", "", [](RequestId id) { return answer(id) + "x"; },
                 "not the answer to the request: bytes followed the answer"},
        LinkCase{"NulInLabel", "",
                 [](RequestId id) {
                     return answer(id, R"({"type":2,"label":"DI1\u0000X","serial":161,)"
                                       R"("port":0,"status":1})");
                 },
                 "malformed answer: "},
        LinkCase{"TooDeep", "",
                 [](RequestId id) { return answer(id, R"({"type":9,"x":[[[1]]]})"); },
                 "malformed answer: "},
        // The largest answers arrive in many pieces and are read as they come.
        LinkCase{"LargeAnswer", "", [](RequestId id) { return answer(id, manyInputs(15000)); }, "",
                 15000},
        LinkCase{"LargeAnswerSpoiledAtItsEnd", "",
                 [](RequestId id) {
                     std::string bytes = answer(id, manyInputs(15000));
                     bytes.back() = ']';
                     return bytes;
                 },
                 "malformed answer: "},
        LinkCase{"HangsUpWithinTheAnswer", "",
                 [](RequestId id) { return answer(id, manyInputs(2000)).substr(0, 50000); },
                 "connection closed by the service", 0, true},
        LinkCase{"Refusal", "",
                 sending(frameOf(R"({"version":1,"msgtype":0,"objects":[],"error":"no\n\u0001"})")),
                 "service refused the request: no\\n\\x01", 0, false, true},
        // What a reason quotes of the answer is bounded and escaped, and
        // the answer is read no further than it must be.
        LinkCase{"RefusalOfAMegabyte", "",
                 sending(frameOf(R"({"version":1,"msgtype":0,"objects":[],"error":")" + MEGABYTE +
                                 "\"}")),
                 "service refused the request: " + SHOWN + MEGABYTE_SIZE + " bytes)", 0, false,
                 true},
        // A number is refused once it is longer than any a service writes.
        LinkCase{"NumberOfAMegabyte", "",
                 sending(spoiledAnswer(std::string(MEGABYTE.size(), '1') + ".x")),
                 parseError(NUMBER_STARTS + 4096, "number of more than 4096 bytes",
                            std::string(64, '1') + "\xe2\x80\xa6 (4097 bytes)"),
                 0, false, true},
        LinkCase{
            "TextOfAMegabyteWithABadByte", "", sending(spoiledAnswer("\"" + MEGABYTE + "\xff\"")),
            parseError(NUMBER_STARTS + MEGABYTE.size() + 1, "invalid string: ill-formed UTF-8 byte",
                       "\"" + std::string(63, 'x') + "\xe2\x80\xa6 (" +
                           std::to_string(MEGABYTE.size() + 2) + " bytes)"),
            0, false, true},
        // Another protocol where the object service should be.
        LinkCase{"AnHttpServer", "", sending(HTTP_ANSWER),
                 "the listener does not speak the object protocol: it sent \"HTTP/1.1 400 Bad "
                 "Request\\r\\nContent-Length: 0\\r\\n\\r\\n\"",
                 0, false, true},
        LinkCase{"AnHttpServerSayingMore", "", sending(HTTP_ANSWER + MEGABYTE),
                 "the listener does not speak the object protocol: it sent \"HTTP/1.1 400 Bad "
                 "Request\\r\\nContent-Length: 0\\r\\n\\r\\nxxxxxxxxxxx\xe2\x80\xa6 (256 bytes)\"",
                 0, false, true},
        LinkCase{"ALengthBeyondTheBound", "", sending(header(cObjectFrame::MAX_PAYLOAD + 1)),
                 "answer too large: 1048577 bytes", 0, false, true}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return info.param.name; });

// Every request draws a fresh number, on one connection as on the next: a
// service cannot make a frame ready for a request before it comes.
TEST(ObjectLinkNumbers, AreDrawnAfreshForEachRequest) {
    std::mutex guard;
    std::vector<std::uint32_t> seen;
    ScriptedService service(
        [&](RequestId id) {
            const std::lock_guard<std::mutex> lock(guard);
            seen.push_back(id.value_or(0));
            return answer(id);
        },
        "");
    cObjectClient client;
    cObjectDInput di;
    cObjectList request;
    request.setMsgType(cObjectFrame::MSG_READ);
    request.add(&di);
    for (int connection = 0; connection < 2; ++connection) {
        ASSERT_TRUE(client.start("127.0.0.1", service.port())) << client.getLastError();
        for (int poll = 0; poll < 4; ++poll) {
            ASSERT_NE(client.get(&request), nullptr) << client.getLastError();
        }
    }

    const std::lock_guard<std::mutex> lock(guard);
    ASSERT_EQ(seen.size(), 8U);
    for (std::size_t i = 1; i < seen.size(); ++i) {
        // Any rule a peer could follow from one number to the next: a step
        // of one, or of the step before.
        EXPECT_NE(seen[i], seen[i - 1] + 1) << i;
        EXPECT_NE(seen[i], seen[i - 1]) << i;
        if (i >= 2) {
            EXPECT_NE(seen[i] - seen[i - 1], seen[i - 1] - seen[i - 2]) << i;
        }
    }
}

struct ConditionCase {
    const char* name;
    std::vector<const char*> outcomes;  // a reason, or null for a success
    std::vector<std::string> logged;
};

void PrintTo(const ConditionCase& test, std::ostream* os) {
    *os << test.name;
}

class ConditionLog : public ::testing::TestWithParam<ConditionCase> {};

// One line per change of condition, never one per repeated failure.
TEST_P(ConditionLog, LogsChangesOnly) {
    CapturingAppender capture;
    cConditionLog log("ObjectClient", "reading", "poll");
    int attempt = 0;
    for (const char* reason : GetParam().outcomes) {
        ++attempt;
        if (reason == nullptr) {
            log.succeeded();
        } else {
            log.failed(reason, "attempt " + std::to_string(attempt));
        }
    }
    EXPECT_EQ(capture.messages(), GetParam().logged);
    for (const CapturedEvent& event : capture.events()) {
        EXPECT_EQ(event.priority, "WARN");
    }
}

const char* const OK = nullptr;

INSTANTIATE_TEST_SUITE_P(
    Sequences, ConditionLog,
    ::testing::Values(ConditionCase{"AllWell", {OK, OK, OK}, {}},
                      ConditionCase{"OneOutageCountedOnce",
                                    {OK, "timed out", "timed out", "timed out", OK, OK},
                                    {"reading failed: timed out: attempt 2",
                                     "reading works again after 3 failed polls"}},
                      ConditionCase{"ReasonChanges",
                                    {"refused", "refused", "timed out", "refused", OK},
                                    {"reading failed: refused: attempt 1",
                                     "reading failed: timed out: attempt 3",
                                     "reading failed: refused: attempt 4",
                                     "reading works again after 4 failed polls"}},
                      ConditionCase{"SingleFailure",
                                    {"closed", OK, "closed"},
                                    {"reading failed: closed: attempt 1",
                                     "reading works again after 1 failed poll",
                                     "reading failed: closed: attempt 3"}}),
    [](const ::testing::TestParamInfo<ConditionCase>& info) { return info.param.name; });

}  // namespace

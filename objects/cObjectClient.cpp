#include "cObjectClient.h"

#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <exception>
#include <istream>
#include <limits>
#include <new>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "cObjectAInput.h"
#include "cObjectDOutput.h"
#include "cObjectSocketReader.h"
#include "cPeerText.h"

namespace {

// What the service's answer to a read request adds to a port's entry in the
// request, written as the simulator writes it (compactly, members sorted):
// the port id and status at their widest, a digital output's two states,
// an analog input's value at its widest text, a double's shortest form
// that reads back ("-2.2250738585072014e-308").
constexpr std::size_t WIDEST_PORT_MEMBERS = sizeof R"(,"port":4294967295,"status":-2147483648)" - 1;
constexpr std::size_t WIDEST_OUTPUT_MEMBERS =
    sizeof R"(,"default":-2147483648,"output":-2147483648)" - 1;
constexpr std::size_t WIDEST_VALUE_MEMBER = sizeof R"(,"value":-2.2250738585072014e-308)" - 1;

// The bytes a port's answer entry may take beyond its request entry.
std::size_t widestAnswerBeyondName(const cObject& object) {
    if (dynamic_cast<const cObjectPort*>(&object) == nullptr) {
        return 0;  // an object of unknown type is answered by its code, as asked
    }
    std::size_t extra = WIDEST_PORT_MEMBERS;
    if (dynamic_cast<const cObjectDOutput*>(&object) != nullptr) {
        extra += WIDEST_OUTPUT_MEMBERS;
    } else if (dynamic_cast<const cObjectAInput*>(&object) != nullptr) {
        extra += WIDEST_VALUE_MEMBER;
    }
    return extra;
}

// The start of what a peer sent, as far as it has arrived; never waits.
std::string arrivedStart(cObjectSocket& socket, const char* header, std::size_t headerSize) {
    std::array<char, 256> start{};
    std::copy(header, header + headerSize, start.begin());
    std::size_t done = headerSize;
    socket.receiveSome(start.data(), start.size(), done);
    return std::string(start.data(), done);
}

// splitmix64's finaliser: every bit of the input sways every bit of the result.
std::uint64_t mixed(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// A number the service cannot foretell. Never waits and never fails: early
// in boot the kernel may not be ready to give random bytes, and a poll may
// not stall for that. What stands in then is still unknown to the peer: the
// clocks to the nanosecond, the process and where `salt` lives.
std::uint32_t unforeseeableNumber(const void* salt, std::uint32_t previous) {
    std::uint32_t number = 0;
    if (::getrandom(&number, sizeof number, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof number)) {
        return number;
    }
    const auto since = [](auto now) {
        return static_cast<std::uint64_t>(now.time_since_epoch().count());
    };
    const std::uint64_t seed = mixed(since(std::chrono::system_clock::now())) ^
                               mixed(since(std::chrono::steady_clock::now()) + previous) ^
                               mixed((static_cast<std::uint64_t>(::getpid()) << 32) ^
                                     reinterpret_cast<std::uintptr_t>(salt));
    return static_cast<std::uint32_t>(mixed(seed) >> 32);
}

// glibc keeps what is freed for reuse: without a trim, resident memory
// would stay at its peak.
void giveBackFreedMemory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

// glibc maps a block of LARGE_BLOCK_BYTES or more by itself and unmaps it
// when it is freed, but by default it raises that bound to the size of any
// such block freed: after one large answer, the next one's texts, growing
// by doubling, would come from the heap and leave holes that no larger
// block fits, so that each large answer could raise the peak further. A
// fixed bound keeps every large block mapped, and gone once freed.
void keepLargeBlocksMapped() {
#if defined(__GLIBC__)
    static const bool kept = ::mallopt(M_MMAP_THRESHOLD, cObjectClient::LARGE_BLOCK_BYTES) == 1;
    static_cast<void>(kept);
#endif
}

}  // namespace

cObjectClient::cObjectClient()
    : reads(LOG_CATEGORY, "reading from the object service", "poll"),
      writes(LOG_CATEGORY, "writing to the object service", "write") {
    keepLargeBlocksMapped();
}

bool cObjectClient::start(const char* newHost, int newPort) {
    host = newHost != nullptr ? newHost : "";
    port = newPort;
    socket.close();
    // A failure here is reported by the first poll, which follows at once.
    return connect();
}

void cObjectClient::setTimeout(int milliseconds) {
    timeoutMs = std::clamp(milliseconds, 1, MAX_TIMEOUT_MS);
}

bool cObjectClient::fail(const std::string& condition, const std::string& detail) {
    lastCondition = condition;
    lastDetail = detail;
    lastError = detail.empty() ? condition : condition + ": " + detail;
    return false;
}

bool cObjectClient::connect() {
    lastError.clear();
    if (host.empty()) {
        return fail("no service address; start was not called");
    }
    const auto deadline = cObjectSocket::Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string why;
    if (!socket.connect(host, port, deadline, &why)) {
        // The socket's reasons are fixed texts, each its own condition.
        return fail("connect to " + host + ":" + std::to_string(port) + ": " + why);
    }
    return true;
}

std::uint32_t cObjectClient::nextRequestId() {
    std::uint32_t number = unforeseeableNumber(this, lastRequestId);
    // The last request's answer, come late, must not pass for this one's.
    if (number == lastRequestId) {
        number = ~number;
    }
    lastRequestId = number;
    return number;
}

bool cObjectClient::fitsInAFrame(const cObjectList& list, std::string& why) {
    cObjectFrame probe(cObjectFrame::eKind::REQUEST);
    probe.getList().setMsgType(cObjectFrame::MSG_READ);
    std::size_t answerBeyondRequest = 0;
    for (int i = 0; i < list.numObjects(); ++i) {
        probe.getList().add(list.at(i));
        answerBeyondRequest += widestAnswerBeyondName(*list.at(i));
    }
    // The widest number a request can carry, which its answer repeats.
    probe.setRequestId(std::numeric_limits<std::uint32_t>::max());
    const std::string objects = std::to_string(list.numObjects()) + " objects";
    std::string bytes;
    if (!probe.encode(bytes, &why)) {
        why = "the request for " + objects + " cannot be sent to the object service: " + why;
        return false;
    }
    // The answer names the same ports under the same document members.
    const std::size_t answer = bytes.size() - cObjectFrame::HEADER_SIZE + answerBeyondRequest;
    if (answer > cObjectFrame::MAX_PAYLOAD) {
        why = "the answer to the request for " + objects +
              " may not fit in a frame: message of up to " + std::to_string(answer) +
              " bytes exceeds " + std::to_string(cObjectFrame::MAX_PAYLOAD);
        return false;
    }
    return true;
}

void cObjectClient::dropReply() {
    reply.clear();
    if (largeReplyHeld) {
        largeReplyHeld = false;
        giveBackFreedMemory();
    }
}

cObjectList* cObjectClient::get(cObjectList* list) {
    // The previous reply ends here, whatever happens next.
    dropReply();
    if (list == nullptr) {
        fail("no request list");
        return nullptr;
    }
    request.clear();
    request.getList().setMsgType(list->getMsgType());
    for (int i = 0; i < list->numObjects(); ++i) {
        request.getList().add(list->at(i));
    }
    const bool ok = exchange(list->getMsgType(), reply);
    request.clear();  // drop the lent pointers at once
    if (!ok) {
        reads.failed(lastCondition, lastDetail);
        return nullptr;
    }
    largeReplyHeld = largeFrameSeen;
    reads.succeeded();
    return &reply.getList();
}

bool cObjectClient::set(cObject* object) {
    if (object == nullptr) {
        sentWhole = heard = false;
        fail("no object to write");
        return false;
    }
    request.clear();
    request.getList().setMsgType(cObjectFrame::MSG_WRITE);
    request.getList().add(object);
    bool ok = exchange(cObjectFrame::MSG_WRITE, ack);
    request.clear();
    if (ok && !ack.getApplied()) {
        ok = fail("write not applied by the service");
    }
    ack.clear();
    if (ok) {
        writes.succeeded();
    } else {
        writes.failed(lastCondition, lastDetail);
    }
    return ok;
}

bool cObjectClient::exchange(unsigned char expectedType, cObjectFrame& answer) {
    largeFrameSeen = false;
    sentWhole = heard = false;
    bool ok = false;
    try {
        ok = exchangeOnce(expectedType, answer);
    } catch (const std::bad_alloc&) {
        // The caller is promised null, not an exception.
        ok = fail("out of memory");
    } catch (const std::exception& e) {
        // Only a size beyond what a string can hold is left to throw.
        ok = fail("out of memory", e.what());
    }
    if (!ok) {
        socket.close();
        answer.clear();
    }
    // The frames are decoded or dropped by now. A large request's buffer is
    // not kept for the small ones that follow; a large answer's parts are
    // freed, or held by the reply until the next get.
    if (buffer.capacity() > LARGE_FRAME_BYTES) {
        largeFrameSeen = true;
        std::string().swap(buffer);
    }
    if (largeFrameSeen) {
        giveBackFreedMemory();
    }
    return ok;
}

bool cObjectClient::exchangeOnce(unsigned char expectedType, cObjectFrame& answer) {
    switch (socket.idleState()) {
        case cObjectSocket::eIdle::READY:
            break;
        case cObjectSocket::eIdle::GONE:
            if (!connect()) {
                return false;
            }
            break;
        case cObjectSocket::eIdle::UNASKED:
            return fail("not the answer to the request", "bytes came before the request");
    }
    lastError.clear();
    request.setRequestId(nextRequestId());
    std::string why;
    if (!request.encode(buffer, &why)) {
        return fail("request too large to send", why);
    }
    const auto deadline = cObjectSocket::Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (!socket.sendAll(buffer.data(), buffer.size(), deadline, &why)) {
        return fail(why);
    }
    sentWhole = true;
    std::array<char, cObjectFrame::HEADER_SIZE> header{};
    if (!socket.receiveAll(header.data(), header.size(), deadline, &why)) {
        return fail(why);
    }
    const std::uint32_t length =
        cObjectFrame::readLength(reinterpret_cast<const unsigned char*>(header.data()));
    if (length > cObjectFrame::MAX_PAYLOAD) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(header.data());
        if (cObjectFrame::headerIsText(bytes)) {
            return fail("the listener does not speak the object protocol",
                        "it sent \"" +
                            cPeerText::bounded(arrivedStart(socket, header.data(), header.size())) +
                            "\"");
        }
        return fail("answer too large", std::to_string(length) + " bytes");
    }
    // Decoded as it arrives: the payload is never held whole.
    largeFrameSeen = largeFrameSeen || length > LARGE_FRAME_BYTES;
    cObjectSocketReader reader(socket, length, deadline);
    std::istream payload(&reader);
    const cObjectFrame::eResult decoded = answer.decodePayload(payload, &why);
    if (!reader.getFailure().empty()) {
        return fail(reader.getFailure());
    }
    if (decoded != cObjectFrame::eResult::COMPLETE) {
        return fail("malformed answer", why);
    }
    if (answer.getList().getMsgType() == cObjectFrame::MSG_ERROR) {
        heard = true;
        return fail("service refused the request", cPeerText::bounded(answer.getError()));
    }
    if (answer.getRequestId() != request.getRequestId()) {
        const auto got = answer.getRequestId();
        return fail("not the answer to the request",
                    "it carries number " + (got ? std::to_string(*got) : std::string("none")) +
                        ", the request " + std::to_string(*request.getRequestId()));
    }
    if (answer.getList().getMsgType() != expectedType) {
        return fail("answer of unexpected message type");
    }
    if (socket.idleState() == cObjectSocket::eIdle::UNASKED) {
        return fail("not the answer to the request", "bytes followed the answer");
    }
    heard = true;
    return true;
}

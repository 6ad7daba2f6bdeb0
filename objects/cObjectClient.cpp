#include "cObjectClient.h"

#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <exception>
#include <istream>
#include <limits>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "cObjectSocketReader.h"

namespace {

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

// glibc keeps what is freed for reuse, and once a large block has been
// freed it serves the next large ones from its heap instead of mapping
// them: without a trim, resident memory would stay at its peak.
void giveBackFreedMemory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

}  // namespace

cObjectClient::cObjectClient()
    : reads(LOG_CATEGORY, "reading from the object service", "poll"),
      writes(LOG_CATEGORY, "writing to the object service", "write") {}

cObjectClient::~cObjectClient() = default;

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
    lastRequestId = unforeseeableNumber(this, lastRequestId);
    return true;
}

bool cObjectClient::fitsInAFrame(const cObjectList& list, std::string& why) {
    cObjectFrame probe(cObjectFrame::eKind::REQUEST);
    probe.getList().setMsgType(cObjectFrame::MSG_READ);
    for (int i = 0; i < list.numObjects(); ++i) {
        probe.getList().add(list.at(i));
    }
    // The widest number a request can carry.
    probe.setRequestId(std::numeric_limits<std::uint32_t>::max());
    std::string bytes;
    if (probe.encode(bytes, &why)) {
        return true;
    }
    why = "the request for " + std::to_string(list.numObjects()) +
          " objects cannot be sent to the object service: " + why;
    return false;
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
    bool ok = false;
    try {
        ok = exchangeOnce(expectedType, answer);
    } catch (const std::exception& e) {
        // Allocation failure is all that is left to throw; the caller is
        // promised null, not an exception.
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
    request.setRequestId(++lastRequestId);
    std::string why;
    if (!request.encode(buffer, &why)) {
        return fail("request too large to send", why);
    }
    const auto deadline = cObjectSocket::Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (!socket.sendAll(buffer.data(), buffer.size(), deadline, &why)) {
        return fail(why);
    }
    std::array<char, cObjectFrame::HEADER_SIZE> header{};
    if (!socket.receiveAll(header.data(), header.size(), deadline, &why)) {
        return fail(why);
    }
    const std::uint32_t length =
        cObjectFrame::readLength(reinterpret_cast<const unsigned char*>(header.data()));
    if (length > cObjectFrame::MAX_PAYLOAD) {
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
        return fail("service refused the request", answer.getError());
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
    return true;
}

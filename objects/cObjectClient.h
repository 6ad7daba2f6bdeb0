#ifndef TARWENDLE_OBJECTS_COBJECTCLIENT_H
#define TARWENDLE_OBJECTS_COBJECTCLIENT_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "cConditionLog.h"
#include "cObjectFrame.h"
#include "cObjectList.h"
#include "cObjectSocket.h"

/*
 * Client of the local object service. Every connect, send and receive is
 * bounded in time; a connection that is down is reopened once before a
 * request. A service that is absent, hangs, closes or answers garbage makes
 * get return null and set return false; neither ever hangs or throws.
 *
 * Only the answer to the request just sent is taken: each request carries
 * a number its answer must repeat, drawn at random for every request so
 * that no frame can be made ready for it beforehand, and bytes that wait
 * before a request or remain after its answer end the connection. Why
 * reading or writing fails is logged under the category "ObjectClient",
 * once per change of reason; what a reason quotes of the peer's bytes is
 * bounded and escaped (cPeerText).
 *
 * Storage for frames and replies is kept from one request to the next, so a
 * normal poll allocates little; after an unusually large answer it is given
 * back to the system instead, and large blocks are never kept (see
 * LARGE_BLOCK_BYTES).
 */
class cObjectClient {
public:
    static constexpr int DEFAULT_TIMEOUT_MS = 3000;
    static constexpr int MAX_TIMEOUT_MS = 5000;
    static constexpr const char* LOG_CATEGORY = "ObjectClient";
    // A frame beyond this is unusual (a normal answer takes some 60 bytes per
    // port): the memory it took is not kept for the next one.
    static constexpr std::size_t LARGE_FRAME_BYTES = 64 * 1024;
    // A block this large is mapped on its own, and given back once freed
    // (the C library's usual bound, fixed for the process by the first
    // client made).
    static constexpr std::size_t LARGE_BLOCK_BYTES = 128 * 1024;

    cObjectClient();

    cObjectClient(const cObjectClient&) = delete;
    cObjectClient& operator=(const cObjectClient&) = delete;

    // Records where the service is and connects. Returns whether it did.
    bool start(const char* host, int port);

    // Reads the current objects named in the request. The reply belongs to
    // the client and stays valid until the next get; null on any failure.
    cObjectList* get(cObjectList* request);

    // Writes one object; true when the service acknowledged and applied it.
    bool set(cObject* object);
    // Whether the last set that failed was sent whole and never answered:
    // the service may have applied it. False when it was refused or never
    // left the client.
    bool lastWriteUnanswered() const { return sentWhole && !heard; }

    // Bound of each connect, and of each request's send and receive
    // together; clamped to 1..MAX_TIMEOUT_MS.
    void setTimeout(int milliseconds);

    // Why the last start, get or set failed; empty after a success.
    const std::string& getLastError() const { return lastError; }

    // Whether a read request for the list can be sent, and its answer
    // received, whatever number it carries; if not, why. A request over the
    // frame bound never reaches the service, and an answer over it never
    // reaches the client. A read request carries the ports' names, which do
    // not change, and its number, measured at its widest; its answer the
    // same and each port's fields, measured at their widest.
    static bool fitsInAFrame(const cObjectList& request, std::string& why);

private:
    bool connect();
    // A fresh number that the service cannot foretell, not the last one.
    std::uint32_t nextRequestId();
    // Sends `request` and reads the answer into `answer`; closes the
    // connection on any failure, since the stream can no longer be trusted.
    bool exchange(unsigned char expectedType, cObjectFrame& answer);
    bool exchangeOnce(unsigned char expectedType, cObjectFrame& answer);
    // Records why the exchange failed: `condition` is the reason's kind,
    // `detail` what varies from one failure to the next.
    bool fail(const std::string& condition, const std::string& detail = "");
    // Empties the reply of the last get, giving back what a large one took.
    void dropReply();

    std::string host;
    int port = 0;
    int timeoutMs = DEFAULT_TIMEOUT_MS;
    std::uint32_t lastRequestId = 0;  // the number of the last request sent
    bool largeFrameSeen = false;      // by the last exchange, sent or received
    bool largeReplyHeld = false;      // the reply came with a large frame
    bool sentWhole = false;           // the last request reached the socket whole
    bool heard = false;               // and the service answered it, yes or no
    cObjectSocket socket;
    cObjectFrame request{cObjectFrame::eKind::REQUEST};
    cObjectFrame reply;  // of the last get; a set leaves it alone
    cObjectFrame ack;
    std::string buffer;  // reused for every request sent
    std::string lastError;
    std::string lastCondition;  // the kind of the last failure
    std::string lastDetail;     // what varies from one such failure to the next
    cConditionLog reads;
    cConditionLog writes;
};

#endif

#ifndef TARWENDLE_OBJECTS_COBJECTFRAME_H
#define TARWENDLE_OBJECTS_COBJECTFRAME_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "cObjectList.h"

class cObjectFrameParser;

/*
 * One message between the client and the object service, and its form on
 * the wire: a 4-byte big-endian payload length, then one JSON document
 *   {"version": 1, "msgtype": N, "objects": [...], "applied": B, "error": T,
 *    "id": I}
 * where "applied" is present only on a write acknowledgement, "error" only
 * on an error reply, and "id" is the number of the request, which its
 * answer repeats. The list carries the message type and the objects;
 * objects lent to it are encoded, objects decoded into it are owned by it.
 *
 * A read request names the ports it asks for (type, label, serial) and
 * carries no readings: a reading it held could only be stale, and one the
 * protocol cannot carry (an infinite value) would spoil the request. Every
 * other message carries its objects whole. So a frame knows which side of
 * the exchange it is on.
 */
class cObjectFrame {
public:
    static constexpr std::size_t HEADER_SIZE = 4;
    static constexpr std::size_t MAX_PAYLOAD = 1024 * 1024;
    static constexpr int PROTOCOL_VERSION = 1;

    // Message types.
    static constexpr unsigned char MSG_ERROR = 0;  // reply: the request was refused
    static constexpr unsigned char MSG_READ = 1;   // read a list of objects
    static constexpr unsigned char MSG_WRITE = 2;  // write one object

    enum class eResult {
        COMPLETE,    // a whole frame was decoded
        INCOMPLETE,  // more bytes are needed
        TOO_LARGE,   // the length exceeds MAX_PAYLOAD; the stream cannot go on
        MALFORMED,   // the document does not decode; the frame's bytes are known
    };

    enum class eKind {
        ANSWER,   // the service's side: objects whole
        REQUEST,  // the client's side: a read names its ports, a write is whole
    };

    explicit cObjectFrame(eKind kind = eKind::ANSWER);
    ~cObjectFrame();

    cObjectFrame(const cObjectFrame&) = delete;
    cObjectFrame& operator=(const cObjectFrame&) = delete;

    cObjectList& getList() { return list; }
    const cObjectList& getList() const { return list; }

    void setApplied(bool value) { applied = value; }
    bool getApplied() const { return applied; }

    void setError(const std::string& text) { error = text; }
    const std::string& getError() const { return error; }

    void setRequestId(std::optional<std::uint32_t> id) { requestId = id; }
    std::optional<std::uint32_t> getRequestId() const { return requestId; }

    // Empties the message, list included.
    void clear();

    // The whole frame, header and document. Fails (false, reason set) only
    // when the document would exceed MAX_PAYLOAD.
    bool encode(std::string& bytes, std::string* reason = nullptr) const;

    // Reads the payload length from a header of HEADER_SIZE bytes.
    static std::uint32_t readLength(const unsigned char* header);
    // Whether a header is printable text (an HTTP server's "HTTP/1.1 ..."):
    // the peer speaks another protocol, since the length such bytes spell
    // is over 150 million, far beyond any frame.
    static bool headerIsText(const unsigned char* header);

    // Decodes the frame at the start of data into this message, replacing
    // what it held. `consumed` is the frame's size in bytes on COMPLETE and
    // MALFORMED, so that a reader can skip it; otherwise 0. Throws nothing
    // but std::bad_alloc: memory running out is not the peer's fault.
    eResult decode(const char* data, std::size_t size, std::size_t& consumed,
                   std::string* reason = nullptr);

    // Decodes a payload (the document without header) into this message.
    // A request frame takes an object by its name alone in a read request,
    // and refuses such an object in any other message. Where the reason
    // quotes the payload, it quotes it bounded (cPeerText).
    eResult decodePayload(const char* data, std::size_t size, std::string* reason = nullptr);
    // The same, reading the payload from a stream to its end as it parses.
    eResult decodePayload(std::istream& payload, std::string* reason = nullptr);

    // Builds the object a wire form describes: the class its type code names,
    // or a bare cObject keeping an unknown code. Raises what decode raises,
    // and takes texts out of `in` as decode does.
    static std::unique_ptr<cObject> decodeObject(nlohmann::json& in);
    // The same from the part of the wire form that names the object.
    static std::unique_ptr<cObject> decodeName(nlohmann::json& in);

    // Appends the object a wire form describes to a list, an object of
    // unknown type in the list's compact form. Raises what decode raises.
    static void decodeObjectInto(nlohmann::json& in, cObjectList& into);

private:
    // Decodes what `parse` makes the parser read.
    eResult decodeWith(const std::function<void(cObjectFrameParser&)>& parse, std::string* reason);

    eKind kind;
    cObjectList list;
    bool applied = false;
    std::string error;
    std::optional<std::uint32_t> requestId;
};

#endif

#include "cObjectFrame.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <iterator>
#include <new>
#include <stdexcept>
#include <utility>

#include <nlohmann/json.hpp>

#include "cObjectAInput.h"
#include "cObjectDInput.h"
#include "cObjectDOutput.h"
#include "cObjectFrameParser.h"

namespace {

const char* const KEY_VERSION = "version";
const char* const KEY_MSGTYPE = "msgtype";
const char* const KEY_OBJECTS = "objects";
const char* const KEY_APPLIED = "applied";
const char* const KEY_ERROR = "error";
const char* const KEY_TYPE = "type";
const char* const KEY_ID = "id";
// What names a port on the wire: all that a read request carries of it.
const char* const NAME_MEMBERS[] = {KEY_TYPE, "label", "serial"};

// Whether an entry holds nothing but a name. Such an entry is not tried
// whole: a read request of hundreds of ports would cost an exception each.
bool holdsOnlyAName(const nlohmann::json& in) {
    for (const auto& member : in.items()) {
        if (std::find(std::begin(NAME_MEMBERS), std::end(NAME_MEMBERS), member.key()) ==
            std::end(NAME_MEMBERS)) {
            return false;
        }
    }
    return true;
}

void setReason(std::string* reason, std::string text) {
    if (reason != nullptr) {
        *reason = std::move(text);
    }
}

}  // namespace

cObjectFrame::cObjectFrame(eKind kind) : kind(kind) {}

cObjectFrame::~cObjectFrame() = default;

void cObjectFrame::clear() {
    list.clear();
    list.setMsgType(MSG_ERROR);
    applied = false;
    std::string().swap(error);  // a long one's memory is not kept
    requestId.reset();
}

bool cObjectFrame::encode(std::string& bytes, std::string* reason) const {
    nlohmann::json document = nlohmann::json::object();
    document[KEY_VERSION] = PROTOCOL_VERSION;
    document[KEY_MSGTYPE] = list.getMsgType();
    nlohmann::json& objects = document[KEY_OBJECTS] = nlohmann::json::array();
    const bool namesOnly = kind == eKind::REQUEST && list.getMsgType() == MSG_READ;
    for (int i = 0; i < list.numObjects(); ++i) {
        nlohmann::json entry = nlohmann::json::object();
        if (namesOnly) {
            list.at(i)->encodeName(entry);
        } else {
            list.at(i)->encode(entry);
        }
        objects.push_back(std::move(entry));
    }
    if (list.getMsgType() == MSG_WRITE) {
        document[KEY_APPLIED] = applied;
    }
    if (!error.empty()) {
        document[KEY_ERROR] = error;
    }
    if (requestId) {
        document[KEY_ID] = *requestId;
    }

    // Labels are copied verbatim and may not be valid UTF-8; replacing bad
    // bytes keeps dump from throwing.
    const std::string payload =
        document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    if (payload.size() > MAX_PAYLOAD) {
        setReason(reason, "message of " + std::to_string(payload.size()) + " bytes exceeds " +
                              std::to_string(MAX_PAYLOAD));
        return false;
    }
    const auto length = static_cast<std::uint32_t>(payload.size());
    bytes.clear();
    bytes.reserve(HEADER_SIZE + payload.size());
    bytes.push_back(static_cast<char>((length >> 24) & 0xFFU));
    bytes.push_back(static_cast<char>((length >> 16) & 0xFFU));
    bytes.push_back(static_cast<char>((length >> 8) & 0xFFU));
    bytes.push_back(static_cast<char>(length & 0xFFU));
    bytes += payload;
    return true;
}

std::uint32_t cObjectFrame::readLength(const unsigned char* header) {
    return (static_cast<std::uint32_t>(header[0]) << 24) |
           (static_cast<std::uint32_t>(header[1]) << 16) |
           (static_cast<std::uint32_t>(header[2]) << 8) | static_cast<std::uint32_t>(header[3]);
}

bool cObjectFrame::headerIsText(const unsigned char* header) {
    return std::all_of(header, header + HEADER_SIZE, [](unsigned char byte) {
        return (byte >= 0x20 && byte < 0x7F) || byte == '\t' || byte == '\n' || byte == '\r';
    });
}

cObjectFrame::eResult cObjectFrame::decode(const char* data, std::size_t size,
                                           std::size_t& consumed, std::string* reason) {
    consumed = 0;
    if (size < HEADER_SIZE) {
        return eResult::INCOMPLETE;
    }
    const std::uint32_t length = readLength(reinterpret_cast<const unsigned char*>(data));
    if (length > MAX_PAYLOAD) {
        setReason(reason, "frame of " + std::to_string(length) + " bytes exceeds " +
                              std::to_string(MAX_PAYLOAD));
        return eResult::TOO_LARGE;
    }
    if (size - HEADER_SIZE < length) {
        return eResult::INCOMPLETE;
    }
    consumed = HEADER_SIZE + length;
    return decodePayload(data + HEADER_SIZE, length, reason);
}

cObjectFrame::eResult cObjectFrame::decodePayload(const char* data, std::size_t size,
                                                  std::string* reason) {
    return decodeWith([&](cObjectFrameParser& parser) { parser.parse(data, size); }, reason);
}

cObjectFrame::eResult cObjectFrame::decodePayload(std::istream& payload, std::string* reason) {
    return decodeWith([&](cObjectFrameParser& parser) { parser.parse(payload); }, reason);
}

cObjectFrame::eResult cObjectFrame::decodeWith(
    const std::function<void(cObjectFrameParser&)>& parse, std::string* reason) {
    clear();
    // Whatever is refused leaves nothing behind: a partial message is of no use.
    const auto refuse = [&](std::string why) {
        clear();
        setReason(reason, std::move(why));
        return eResult::MALFORMED;
    };
    // Whether an entry may be a name alone depends on the message type,
    // which the document may give after its objects: a request's entries are
    // taken whole when they are, by their names when not, and the message
    // type then decides whether names were enough.
    std::string notWhole;  // why the first entry taken by its name was not whole
    const auto decodeEntry = [this, &notWhole](nlohmann::json& in, cObjectList& into) {
        if (kind == eKind::ANSWER) {
            decodeObjectInto(in, into);
            return;
        }
        if (holdsOnlyAName(in)) {
            if (notWhole.empty()) {
                notWhole = "an object is named where it must be whole";
            }
        } else {
            try {
                // A copy: taken by its name after all, the entry needs its label.
                nlohmann::json whole = in;
                decodeObjectInto(whole, into);
                return;
            } catch (const std::bad_alloc&) {
                throw;
            } catch (const std::exception& e) {
                if (notWhole.empty()) {
                    notWhole = e.what();
                }
            }
        }
        into.adopt(decodeName(in));
    };
    try {
        cObjectFrameParser parser(list, decodeEntry);
        parse(parser);
        nlohmann::json& document = parser.getHead();
        const auto version = document.find(KEY_VERSION);
        if (version == document.end() || !version->is_number_integer() ||
            version->get<std::int64_t>() != PROTOCOL_VERSION) {
            return refuse("unsupported or missing protocol version");
        }
        const auto msgType = document.find(KEY_MSGTYPE);
        if (msgType == document.end() || !msgType->is_number_integer() ||
            msgType->get<std::int64_t>() < 0 || msgType->get<std::int64_t>() > UCHAR_MAX) {
            return refuse("missing or invalid message type");
        }
        if (!parser.hasObjectList()) {
            return refuse("missing or invalid object list");
        }
        const auto id = document.find(KEY_ID);
        if (id != document.end()) {
            if (!id->is_number_unsigned() || id->get<std::uint64_t>() > UINT32_MAX) {
                return refuse("request number is not an integer 0..4294967295");
            }
            requestId = static_cast<std::uint32_t>(id->get<std::uint64_t>());
        }
        list.setMsgType(static_cast<unsigned char>(msgType->get<int>()));
        if (!notWhole.empty() && list.getMsgType() != MSG_READ) {
            return refuse("undecodable document: " + notWhole);
        }
        const auto ack = document.find(KEY_APPLIED);
        if (ack != document.end()) {
            applied = ack->get<bool>();
        }
        const auto text = document.find(KEY_ERROR);
        if (text != document.end()) {
            // Taken, not copied: it may fill most of the frame.
            error = text->is_string() ? std::move(text->get_ref<std::string&>())
                                      : text->get<std::string>();
        }
    } catch (const std::bad_alloc&) {
        clear();
        throw;
    } catch (const std::exception& e) {
        // Parse, type and range errors alike: the peer sent something we
        // cannot trust.
        return refuse(std::string("undecodable document: ") + e.what());
    }
    return eResult::COMPLETE;
}

namespace {

int typeCodeOf(const nlohmann::json& in) {
    if (!in.is_object()) {
        throw std::out_of_range("object entry is not a JSON object");
    }
    const nlohmann::json& code = in.at(KEY_TYPE);
    const bool inRange = code.is_number_unsigned()
                             ? code.get<std::uint64_t>() <= INT_MAX
                             : code.is_number_integer() && code.get<std::int64_t>() >= INT_MIN &&
                                   code.get<std::int64_t>() <= INT_MAX;
    if (!inRange) {
        throw std::out_of_range("object type code is not an integer");
    }
    return code.get<int>();
}

// The class a type code names; null for a code this library does not know.
std::unique_ptr<cObject> knownObject(int type) {
    switch (type) {
        case cObject::TYPE_DIGITAL_INPUT:
            return std::make_unique<cObjectDInput>();
        case cObject::TYPE_DIGITAL_OUTPUT:
            return std::make_unique<cObjectDOutput>();
        case cObject::TYPE_ANALOG_INPUT:
            return std::make_unique<cObjectAInput>();
        default:
            return nullptr;
    }
}

// The class the wire form's type code names, or a bare cObject keeping an
// unknown code, so that the reader can report and skip it.
std::unique_ptr<cObject> objectOfType(const nlohmann::json& in) {
    const int type = typeCodeOf(in);
    std::unique_ptr<cObject> object = knownObject(type);
    return object ? std::move(object) : std::make_unique<cObject>(type);
}

}  // namespace

std::unique_ptr<cObject> cObjectFrame::decodeObject(nlohmann::json& in) {
    std::unique_ptr<cObject> object = objectOfType(in);
    object->decode(in);
    return object;
}

std::unique_ptr<cObject> cObjectFrame::decodeName(nlohmann::json& in) {
    std::unique_ptr<cObject> object = objectOfType(in);
    object->decodeName(in);
    return object;
}

void cObjectFrame::decodeObjectInto(nlohmann::json& in, cObjectList& into) {
    const int type = typeCodeOf(in);
    std::unique_ptr<cObject> object = knownObject(type);
    if (!object) {
        // Its code is all an unknown object holds, and all a reader asks.
        into.adoptUnknown(type);
        return;
    }
    object->decode(in);
    into.adopt(std::move(object));
}

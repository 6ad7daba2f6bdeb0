#include "cObjectFrameParser.h"

#include <algorithm>
#include <istream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <streambuf>
#include <string_view>
#include <utility>

#include "cJsonTokenGuard.h"
#include "cPeerText.h"

namespace {

// The members the layout reads, of the document and of an object entry.
// Any other is skipped without being stored.
const char* const HEAD_MEMBERS[] = {"version", "msgtype", "objects", "applied", "error", "id"};
const char* const ENTRY_MEMBERS[] = {"type",   "label", "serial", "port",
                                     "status", "value", "output", "default"};
const char* const OBJECTS = "objects";

// A payload in memory, read in place.
class MemoryPayload : public std::streambuf {
public:
    MemoryPayload(const char* data, std::size_t size) {
        // Only ever read: the get area's pointers are not const by the
        // standard's choice.
        char* const start = const_cast<char*>(data);
        setg(start, start, start + size);
    }
};

template <std::size_t N>
bool isOneOf(const std::string& name, const char* const (&names)[N]) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

}  // namespace

cObjectFrameParser::cObjectFrameParser(cObjectList& objects, EntryDecoder decodeEntry)
    : list(objects), decodeEntry(std::move(decodeEntry)) {}

void cObjectFrameParser::parse(const char* data, std::size_t size) {
    MemoryPayload payload(data, size);
    parse(payload);
}

void cObjectFrameParser::parse(std::istream& payload) {
    parse(*payload.rdbuf());
}

void cObjectFrameParser::parse(std::streambuf& payload) {
    cJsonTokenGuard guard(payload);
    std::istream guarded(&guard);
    if (!nlohmann::json::sax_parse(guarded, this)) {
        throw std::out_of_range(failure);
    }
}

void cObjectFrameParser::place(nlohmann::json value) {
    if (scopes.empty()) {
        throw std::out_of_range("document is not a JSON object");
    }
    switch (scopes.back()) {
        case eScope::DOCUMENT:
            if (name == OBJECTS) {
                // A later "objects" that is no list replaces the list.
                objectList = false;
                list.clear();
            } else if (isOneOf(name, HEAD_MEMBERS)) {
                head[name] = std::move(value);
            }
            break;
        case eScope::OBJECTS:
            throw std::out_of_range("object entry is not a JSON object");
        case eScope::ENTRY:
            if (isOneOf(name, ENTRY_MEMBERS)) {
                entry[name] = std::move(value);
            }
            break;
        case eScope::SKIPPED:
            break;
    }
}

void cObjectFrameParser::open(bool isObject) {
    if (scopes.size() >= MAX_DEPTH) {
        throw std::out_of_range("document nested deeper than " + std::to_string(MAX_DEPTH) +
                                " levels");
    }
    if (scopes.empty()) {
        if (!isObject) {
            throw std::out_of_range("document is not a JSON object");
        }
        scopes.push_back(eScope::DOCUMENT);
        return;
    }
    eScope scope = eScope::SKIPPED;
    switch (scopes.back()) {
        case eScope::DOCUMENT:
            if (name == OBJECTS && !isObject) {
                list.clear();
                objectList = true;
                scope = eScope::OBJECTS;
            } else {
                place(isObject ? nlohmann::json::object() : nlohmann::json::array());
            }
            break;
        case eScope::OBJECTS:
            if (!isObject) {
                throw std::out_of_range("object entry is not a JSON object");
            }
            entry = nlohmann::json::object();
            scope = eScope::ENTRY;
            break;
        case eScope::ENTRY:
            // A known member holding a container is of the wrong kind; keep
            // the kind so that decoding the entry says so.
            place(isObject ? nlohmann::json::object() : nlohmann::json::array());
            break;
        case eScope::SKIPPED:
            break;
    }
    scopes.push_back(scope);
}

void cObjectFrameParser::close() {
    const eScope scope = scopes.back();
    scopes.pop_back();
    if (scope == eScope::ENTRY) {
        decodeEntry(entry, list);
        entry = nullptr;
    }
}

bool cObjectFrameParser::null() {
    place(nullptr);
    return true;
}

bool cObjectFrameParser::boolean(bool value) {
    place(value);
    return true;
}

bool cObjectFrameParser::number_integer(nlohmann::json::number_integer_t value) {
    place(value);
    return true;
}

bool cObjectFrameParser::number_unsigned(nlohmann::json::number_unsigned_t value) {
    place(value);
    return true;
}

bool cObjectFrameParser::number_float(nlohmann::json::number_float_t value,
                                      const std::string& /*text*/) {
    place(value);
    return true;
}

bool cObjectFrameParser::string(std::string& value) {
    place(std::move(value));
    return true;
}

bool cObjectFrameParser::binary(nlohmann::json::binary_t& /*value*/) {
    throw std::out_of_range("binary value in a JSON document");  // text JSON has none
}

bool cObjectFrameParser::start_object(std::size_t /*elements*/) {
    open(true);
    return true;
}

bool cObjectFrameParser::key(std::string& member) {
    name = std::move(member);
    return true;
}

bool cObjectFrameParser::end_object() {
    close();
    return true;
}

bool cObjectFrameParser::start_array(std::size_t /*elements*/) {
    open(false);
    return true;
}

bool cObjectFrameParser::end_array() {
    close();
    return true;
}

bool cObjectFrameParser::parse_error(std::size_t /*position*/, const std::string& last,
                                     const nlohmann::detail::exception& error) {
    // The library quotes the token it stopped at, last in its message, and
    // whole: a number or a text of a megabyte would make a megabyte of
    // reason. The token is shown bounded instead.
    const std::string_view message(error.what());
    const std::size_t at = last.empty() ? std::string_view::npos : message.rfind(last);
    if (at == std::string_view::npos) {
        failure = message;  // the library's own words, short
        return false;
    }
    failure.assign(message.substr(0, at));
    failure += cPeerText::bounded(last);
    failure += message.substr(at + last.size());
    return false;
}

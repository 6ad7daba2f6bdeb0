#include "cJsonTokenGuard.h"

#include <stdexcept>

#include "cPeerText.h"

namespace {

// Enough of a token's start for its quote: cPeerText shows at most 64 bytes.
const std::size_t START_KEPT = cPeerText::SHOWN_BYTES;

const char* const ILL_FORMED = "invalid string: ill-formed UTF-8 byte";
const char* const CONTROL = "invalid string: control character must be escaped";
const char* const ESCAPE = "invalid string: forbidden character after backslash";
const char* const HEX = "invalid string: '\\u' must be followed by 4 hex digits";
const char* const NO_LOW =
    "invalid string: surrogate U+D800..U+DBFF must be followed by "
    "U+DC00..U+DFFF";
const char* const LONE_LOW =
    "invalid string: surrogate U+DC00..U+DFFF must follow "
    "U+D800..U+DBFF";
const char* const UNCLOSED = "invalid string: missing closing quote";
const char* const LONG_BARE = "number of more than 4096 bytes";

bool separates(unsigned char byte) {
    switch (byte) {
        case ' ':
        case '\t':
        case '\n':
        case '\r':
        case '[':
        case ']':
        case '{':
        case '}':
        case ':':
        case ',':
            return true;
        default:
            return false;
    }
}

int hexValue(unsigned char byte) {
    if (byte >= '0' && byte <= '9') {
        return byte - '0';
    }
    if (byte >= 'a' && byte <= 'f') {
        return byte - 'a' + 10;
    }
    if (byte >= 'A' && byte <= 'F') {
        return byte - 'A' + 10;
    }
    return -1;
}

}  // namespace

static_assert(cJsonTokenGuard::LONG_TOKEN == 4096, "LONG_BARE names the bound");

cJsonTokenGuard::cJsonTokenGuard(std::streambuf& source) : source(source) {
    setg(piece.data(), piece.data(), piece.data());
}

cJsonTokenGuard::int_type cJsonTokenGuard::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    before += static_cast<std::size_t>(egptr() - eback());
    setg(piece.data(), piece.data(), piece.data());
    if (fault != nullptr) {
        refuse(fault);
    }
    const std::streamsize got = source.sgetn(piece.data(), piece.size());
    if (got <= 0) {
        if (scope != eScope::BETWEEN && tokenBytes > LONG_TOKEN) {
            refuse(UNCLOSED);
        }
        return traits_type::eof();
    }
    auto passed = static_cast<std::size_t>(got);
    for (std::size_t i = 0; i < passed; ++i) {
        const char* why = take(static_cast<unsigned char>(piece[i]));
        if (why != nullptr && tokenBytes > LONG_TOKEN) {
            // The library reads up to the byte before; then this is thrown.
            fault = why;
            passed = i;
        }
    }
    setg(piece.data(), piece.data(), piece.data() + passed);
    if (passed == 0) {
        refuse(fault);
    }
    return traits_type::to_int_type(*gptr());
}

void cJsonTokenGuard::startToken() {
    tokenBytes = 0;
    tokenStart.clear();
    continuations = 0;
    wantLow = false;
}

const char* cJsonTokenGuard::take(unsigned char byte) {
    if (scope == eScope::BETWEEN && separates(byte)) {
        tokenBytes = 0;
        return nullptr;
    }
    if (scope == eScope::BETWEEN && (tokenBytes == 0 || byte == '"')) {
        startToken();
    }
    ++tokenBytes;
    if (tokenStart.size() < START_KEPT) {
        tokenStart.push_back(static_cast<char>(byte));
    }
    switch (scope) {
        case eScope::BETWEEN:
            if (byte == '"') {
                scope = eScope::TEXT;
                return nullptr;
            }
            // A number, or a word the library takes or refuses within five bytes.
            return tokenBytes > LONG_TOKEN ? LONG_BARE : nullptr;
        case eScope::TEXT:
            return takeInText(byte);
        case eScope::ESCAPE:
            if (byte == 'u') {
                scope = eScope::HEX;
                hexDigits = 0;
                unit = 0;
                return nullptr;
            }
            for (const char allowed : {'"', '\\', '/', 'b', 'f', 'n', 'r', 't'}) {
                if (byte == static_cast<unsigned char>(allowed)) {
                    scope = eScope::TEXT;
                    return nullptr;
                }
            }
            return ESCAPE;
        case eScope::HEX:
            return takeHex(byte);
        case eScope::LOW_BACKSLASH:
            scope = eScope::LOW_U;
            return byte == '\\' ? nullptr : NO_LOW;
        case eScope::LOW_U:
            if (byte != 'u') {
                return NO_LOW;
            }
            scope = eScope::HEX;
            hexDigits = 0;
            unit = 0;
            return nullptr;
    }
    return nullptr;
}

const char* cJsonTokenGuard::takeInText(unsigned char byte) {
    if (continuations > 0) {
        if (byte < lowest || byte > highest) {
            return ILL_FORMED;
        }
        --continuations;
        lowest = 0x80;
        highest = 0xBF;
        return nullptr;
    }
    if (byte == '"') {
        scope = eScope::BETWEEN;
        tokenBytes = 0;
        return nullptr;
    }
    if (byte == '\\') {
        scope = eScope::ESCAPE;
        return nullptr;
    }
    if (byte < 0x20) {
        return CONTROL;
    }
    if (byte < 0x80) {
        return nullptr;
    }
    // Well-formed UTF-8: no overlong form, no surrogate, nothing above U+10FFFF.
    if (byte >= 0xC2 && byte <= 0xDF) {
        continuations = 1;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        continuations = 2;
        lowest = byte == 0xE0 ? 0xA0 : 0x80;
        highest = byte == 0xED ? 0x9F : 0xBF;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        continuations = 3;
        lowest = byte == 0xF0 ? 0x90 : 0x80;
        highest = byte == 0xF4 ? 0x8F : 0xBF;
    } else {
        return ILL_FORMED;
    }
    return nullptr;
}

const char* cJsonTokenGuard::takeHex(unsigned char byte) {
    const int value = hexValue(byte);
    if (value < 0) {
        return HEX;
    }
    unit = (unit << 4) | static_cast<std::uint32_t>(value);
    if (++hexDigits < 4) {
        return nullptr;
    }
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (wantLow) {
        wantLow = false;
        scope = eScope::TEXT;
        return low ? nullptr : NO_LOW;
    }
    if (high) {
        wantLow = true;
        scope = eScope::LOW_BACKSLASH;
        return nullptr;
    }
    scope = eScope::TEXT;
    return low ? LONE_LOW : nullptr;
}

void cJsonTokenGuard::refuse(const char* what) const {
    throw std::out_of_range("parse error at byte " + std::to_string(before + 1) + ": " + what +
                            "; last read: '" + cPeerText::bounded(tokenStart, tokenBytes) + "'");
}

#include "cPeerText.h"

#include <cstdint>
#include <cstdio>

namespace {

// Code points that a terminal or viewer takes as a line break or a change
// of writing direction, or shows as nothing at all: they could make a line
// say what it does not, or two labels look the same.
bool isLayoutControl(std::uint32_t c) {
    return (c >= 0x80 && c <= 0x9F) || c == 0x061C || (c >= 0x200B && c <= 0x200F) || c == 0x2028 ||
           c == 0x2029 || (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x2064) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

// The length of the well-formed UTF-8 character at `at` (no overlong form,
// no surrogate, nothing above U+10FFFF), or 0.
std::size_t characterLength(std::string_view text, std::size_t at, std::uint32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    std::uint32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1FU;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0FU;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07U;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0U) != 0x80U) {
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3FU);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// How the character at `at` is shown; `used` is the bytes it takes.
std::string shown(std::string_view text, std::size_t at, std::size_t& used) {
    const unsigned char byte = static_cast<unsigned char>(text[at]);
    used = 1;
    switch (byte) {
        case '\\':
            return "\\\\";
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        default:
            break;
    }
    if (byte >= 0x20 && byte < 0x7F) {
        return std::string(1, static_cast<char>(byte));
    }
    std::uint32_t code = 0;
    const std::size_t length = byte >= 0x80 ? characterLength(text, at, code) : 0;
    if (length > 0 && !isLayoutControl(code)) {
        used = length;
        return std::string(text.substr(at, length));
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(byte));
    return escaped;
}

}  // namespace

std::string cPeerText::bounded(std::string_view text) {
    return bounded(text, text.size());
}

std::string cPeerText::bounded(std::string_view start, std::size_t wholeBytes,
                               std::size_t shownBytes) {
    std::string out;
    std::size_t at = 0;
    while (at < start.size()) {
        std::size_t used = 0;
        const std::string piece = shown(start, at, used);
        if (out.size() + piece.size() > shownBytes) {
            break;
        }
        out += piece;
        at += used;
    }
    if (at < wholeBytes) {
        out += "\u2026 (" + std::to_string(wholeBytes) + " bytes)";
    }
    return out;
}

std::string cPeerText::cut(std::string text, std::size_t bytes) {
    static const std::string ellipsis = "\u2026";
    if (text.size() <= bytes) {
        return text;
    }
    std::size_t at = bytes > ellipsis.size() ? bytes - ellipsis.size() : 0;
    while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0U) == 0x80U) {
        --at;
    }
    text.erase(at);
    return text + ellipsis;
}

bool cPeerText::hidesAnything(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        std::size_t used = 0;
        const std::string piece = shown(text, at, used);
        if (piece.size() > 1 && piece[0] == '\\' && piece != "\\\\") {
            return true;
        }
        at += used;
    }
    return false;
}

std::string cPeerText::bounded(const char* text) {
    return bounded(std::string_view(text != nullptr ? text : ""));
}

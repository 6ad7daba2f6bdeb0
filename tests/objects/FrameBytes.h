#ifndef TARWENDLE_TESTS_FRAMEBYTES_H
#define TARWENDLE_TESTS_FRAMEBYTES_H

#include <cstdint>
#include <string>

// Raw wire bytes for the frame tests: a length header, and a header with
// its payload, built by hand so that a test can send what no encoder would.
inline std::string header(std::uint32_t length) {
    return {static_cast<char>(length >> 24), static_cast<char>((length >> 16) & 0xFF),
            static_cast<char>((length >> 8) & 0xFF), static_cast<char>(length & 0xFF)};
}

inline std::string frameOf(const std::string& payload) {
    return header(static_cast<std::uint32_t>(payload.size())) + payload;
}

#endif

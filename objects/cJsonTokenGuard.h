#ifndef TARWENDLE_OBJECTS_CJSONTOKENGUARD_H
#define TARWENDLE_OBJECTS_CJSONTOKENGUARD_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <streambuf>
#include <string>

/*
 * A JSON document on its way to the JSON library, watched for long tokens.
 * The library holds the token it reads twice over, and when it refuses one
 * it copies it into its error some five times more: one bad byte at the
 * end of a megabyte of text would cost several megabytes at once. So a text
 * longer than LONG_TOKEN that the library would refuse, and any number or
 * other bare token that long, is refused here instead, just before the
 * library reads its offending byte: by throwing std::out_of_range with a
 * short reason that quotes the token bounded (cPeerText). Every byte the
 * library would accept passes unchanged, and a short token's fault is left
 * to the library and its own words.
 */
class cJsonTokenGuard : public std::streambuf {
public:
    static constexpr std::size_t LONG_TOKEN = 4096;

    explicit cJsonTokenGuard(std::streambuf& source);

protected:
    int_type underflow() override;

private:
    enum class eScope {
        BETWEEN,        // outside any text: structure, blanks, bare tokens
        TEXT,           // in a text
        ESCAPE,         // after a backslash
        HEX,            // in the four hexadecimal digits of \u
        LOW_BACKSLASH,  // after a high surrogate: "\" must follow
        LOW_U,          // then "u"
    };

    // Takes in one byte; the reason when it makes the current token one
    // the library would refuse, else null.
    const char* take(unsigned char byte);
    const char* takeInText(unsigned char byte);
    const char* takeHex(unsigned char byte);
    void startToken();
    [[noreturn]] void refuse(const char* what) const;

    std::streambuf& source;
    std::array<char, 4096> piece{};
    std::size_t before = 0;       // bytes of the document before this piece
    const char* fault = nullptr;  // of the byte after the piece, if any
    eScope scope = eScope::BETWEEN;
    std::size_t tokenBytes = 0;  // of the current text or bare token so far
    std::string tokenStart;      // its first bytes, to quote
    // A character's continuation bytes still due, and the range the next
    // must lie in (narrower after some lead bytes).
    int continuations = 0;
    unsigned char lowest = 0x80;
    unsigned char highest = 0xBF;
    int hexDigits = 0;
    std::uint32_t unit = 0;  // the UTF-16 unit being read after \u
    bool wantLow = false;    // the unit must be a low surrogate
};

#endif

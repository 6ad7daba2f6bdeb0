#ifndef TARWENDLE_LOGGING_CPEERTEXT_H
#define TARWENDLE_LOGGING_CPEERTEXT_H

#include <cstddef>
#include <string>
#include <string_view>

/*
 * Text that came from a peer or a file, made fit for one log line: bytes
 * that are no printable UTF-8 are escaped, and a long text is cut. Whatever
 * the peer sent, what a line quotes of it stays short and readable, and no
 * byte of it can end the line or upset a terminal.
 */
class cPeerText {
public:
    // The escaped text shown at most; the size of the whole follows it.
    static constexpr std::size_t SHOWN_BYTES = 64;

    // The text as a log line may quote it. Printable ASCII and well-formed
    // UTF-8 stay as they are, but for the backslash, which is doubled; tab,
    // line feed and carriage return become \t, \n and \r, and any other
    // byte \xNN (controls, DEL, the C1 controls, bytes of no character).
    // Beyond SHOWN_BYTES of that, whole characters only, comes
    // "… (N bytes)" with the size of the whole text.
    static std::string bounded(std::string_view text);
    // The same of the start of a text of `wholeBytes`, which then follow,
    // showing up to `shownBytes` of it.
    static std::string bounded(std::string_view start, std::size_t wholeBytes,
                               std::size_t shownBytes = SHOWN_BYTES);
    // The same of a C text; null is the empty text.
    static std::string bounded(const char* text);
    // Our own text cut to at most `bytes` and "…", at a whole character.
    static std::string cut(std::string text, std::size_t bytes);
    // Whether the text holds anything that bounded() escapes but the
    // backslash: a control, a direction change, an invisible character, a
    // byte of no character.
    static bool hidesAnything(std::string_view text);
};

#endif

#ifndef TARWENDLE_OBJECTS_COBJECTSOCKETREADER_H
#define TARWENDLE_OBJECTS_COBJECTSOCKETREADER_H

#include <array>
#include <cstddef>
#include <streambuf>
#include <string>

#include "cObjectSocket.h"

/*
 * The payload of one frame, read from the socket in small pieces as a
 * parser asks for them: no answer needs a buffer as large as itself, and a
 * frame of the largest size costs the same memory as a small one. The
 * stream ends after the payload's length, or earlier if the socket fails
 * or the deadline passes; getFailure then says why.
 */
class cObjectSocketReader : public std::streambuf {
public:
    static constexpr std::size_t PIECE_BYTES = 4096;

    cObjectSocketReader(cObjectSocket& socket, std::size_t length,
                        cObjectSocket::Clock::time_point deadline);

    // Why the payload could not be read whole; empty while nothing failed.
    const std::string& getFailure() const { return failure; }

protected:
    int_type underflow() override;

private:
    cObjectSocket& socket;
    std::size_t remaining;  // payload bytes not yet received
    cObjectSocket::Clock::time_point deadline;
    std::string failure;
    std::array<char, PIECE_BYTES> piece{};
};

#endif

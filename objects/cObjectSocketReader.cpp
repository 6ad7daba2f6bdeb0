#include "cObjectSocketReader.h"

#include <algorithm>

cObjectSocketReader::cObjectSocketReader(cObjectSocket& socket, std::size_t length,
                                         cObjectSocket::Clock::time_point deadline)
    : socket(socket), remaining(length), deadline(deadline) {
    setg(piece.data(), piece.data(), piece.data());
}

cObjectSocketReader::int_type cObjectSocketReader::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    if (remaining == 0 || !failure.empty()) {
        return traits_type::eof();
    }
    // The service has sent the whole frame or is sending it: waiting for a
    // full piece waits for nothing that will not come.
    const std::size_t size = std::min(remaining, piece.size());
    if (!socket.receiveAll(piece.data(), size, deadline, &failure)) {
        if (failure.empty()) {
            failure = "receive failed";
        }
        return traits_type::eof();
    }
    remaining -= size;
    setg(piece.data(), piece.data(), piece.data() + size);
    return traits_type::to_int_type(*gptr());
}

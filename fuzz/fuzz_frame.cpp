// Whatever bytes the object service sends, or a client sends the
// simulator: the frame decoder and the payload decoder must neither crash
// nor throw nor leak.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cObjectFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    cObjectFrame frame;
    std::size_t consumed = 0;
    std::string reason;
    frame.decode(bytes, size, consumed, &reason);
    if (consumed > size) {
        __builtin_trap();  // a reader would skip past the end of its buffer
    }
    frame.decodePayload(bytes, size, &reason);
    cObjectFrame request(cObjectFrame::eKind::REQUEST);
    request.decodePayload(bytes, size, &reason);
    return 0;
}

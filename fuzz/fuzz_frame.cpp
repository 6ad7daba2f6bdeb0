// Whatever bytes the object service sends, or a client sends the
// simulator: the frame decoder and the payload decoder must neither crash
// nor throw nor leak, and a payload read as a stream (as the client reads
// it) must get the verdict it gets whole.
#include <cstddef>
#include <cstdint>
#include <sstream>
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
    const cObjectFrame::eResult whole = frame.decodePayload(bytes, size, &reason);
    const int objects = frame.getList().numObjects();
    std::istringstream payload(std::string(bytes, size));
    if (frame.decodePayload(payload, &reason) != whole || frame.getList().numObjects() != objects) {
        __builtin_trap();
    }
    cObjectFrame request(cObjectFrame::eKind::REQUEST);
    request.decodePayload(bytes, size, &reason);
    return 0;
}

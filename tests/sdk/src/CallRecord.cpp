#include "CallRecord.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

// Readings are floats: 15 digits show the shortest form fromFloat chose.
const std::size_t RECORD_FLAGS = JSON_COMPACT | JSON_REAL_PRECISION(15);
const mode_t RECORD_MODE = 0644;

void writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0) {
            return;  // a record is a help for tests, never a reason to fail a call
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

}  // namespace

namespace ovtcalls {

const char* const ENV_CALLS = "OVTOBJ_CALLS";

void append(json_t* line) {
    const char* path = std::getenv(ENV_CALLS);
    char* text = (path != nullptr && line != nullptr) ? json_dumps(line, RECORD_FLAGS) : nullptr;
    json_decref(line);
    if (text == nullptr) {
        return;
    }
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, RECORD_MODE);
    if (fd >= 0) {
        const std::size_t length = std::strlen(text);
        text[length] = '\n';  // replaces the NUL: one write per line
        writeAll(fd, text, length + 1);
        ::close(fd);
    }
    std::free(text);
}

}  // namespace ovtcalls

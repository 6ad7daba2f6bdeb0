#include "cLogStreamBuf.h"

#include "cLogOStream.h"

cLogStreamBuf::cLogStreamBuf(cLogOStream& owner) : owner(owner) {}

cLogStreamBuf::int_type cLogStreamBuf::overflow(int_type ch) {
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        pending.push_back(traits_type::to_char_type(ch));
    }
    return traits_type::not_eof(ch);
}

std::streamsize cLogStreamBuf::xsputn(const char* text, std::streamsize count) {
    pending.append(text, static_cast<std::size_t>(count));
    return count;
}

int cLogStreamBuf::sync() {
    // A flush with nothing written since the last one is no message.
    if (pending.empty()) {
        return 0;
    }
    // The end-of-line that closes a message is not part of its text.
    if (pending.back() == '\n') {
        pending.pop_back();
    }
    owner.logOutput(&pending[0]);
    pending.clear();
    return 0;
}

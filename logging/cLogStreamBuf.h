#ifndef TARWENDLE_LOGGING_CLOGSTREAMBUF_H
#define TARWENDLE_LOGGING_CLOGSTREAMBUF_H

#include <streambuf>
#include <string>

class cLogOStream;

/*
 * Collects what a component writes to one log stream and, on every flush,
 * hands the text written since the previous flush to the stream's
 * logOutput as one message.
 *
 * The storage grows as needed, so a message of any length reaches the log
 * whole; it keeps its capacity between messages, so once the longest line
 * has been seen, logging no longer allocates here.
 */
class cLogStreamBuf : public std::streambuf {
public:
    explicit cLogStreamBuf(cLogOStream& owner);

    cLogStreamBuf(const cLogStreamBuf&) = delete;
    cLogStreamBuf& operator=(const cLogStreamBuf&) = delete;

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    cLogOStream& owner;
    std::string pending;
};

#endif

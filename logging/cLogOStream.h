#ifndef TARWENDLE_LOGGING_CLOGOSTREAM_H
#define TARWENDLE_LOGGING_CLOGOSTREAM_H

#include <ostream>

#include "cLogStreamBuf.h"

/*
 * An output stream whose every flushed message becomes one log4cpp event
 * of the stream's priority; cLog, cDebug and cError each fix one.
 */
class cLogOStream : public std::ostream {
public:
    // categoryName is lent: it must outlive the stream. priority is a
    // log4cpp priority value.
    cLogOStream(const char* categoryName, int priority);
    ~cLogOStream() override;

    cLogOStream(const cLogOStream&) = delete;
    cLogOStream& operator=(const cLogOStream&) = delete;

    // Hands one finished message, NUL-terminated, to log4cpp.
    void logOutput(char* message);

    // Whether log4cpp would keep an event of this stream's priority on its
    // category; lets a caller skip formatting a line that would be dropped.
    bool isEnabled() const;

private:
    cLogStreamBuf buffer;
    const char* categoryName;
    int priority;
};

#endif

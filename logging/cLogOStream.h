#ifndef TARWENDLE_LOGGING_CLOGOSTREAM_H
#define TARWENDLE_LOGGING_CLOGOSTREAM_H

#include <ostream>

#include "cLogStreamBuf.h"

/*
 * An output stream whose every flushed message becomes one log4cpp event.
 * Subclasses choose the priority in logOutput.
 */
class cLogOStream : public std::ostream {
public:
    // categoryName is lent: it must outlive the stream.
    explicit cLogOStream(const char* categoryName);
    ~cLogOStream() override;

    cLogOStream(const cLogOStream&) = delete;
    cLogOStream& operator=(const cLogOStream&) = delete;

    // Hands one finished message, NUL-terminated, to log4cpp.
    virtual void logOutput(char* message) = 0;

    const char* getCategoryName() const { return categoryName; }

protected:
    // Whether log4cpp would keep an event of this priority on this stream's
    // category; lets a caller skip formatting a line that would be dropped.
    bool isPriorityEnabled(int priority) const;

private:
    cLogStreamBuf buffer;
    const char* categoryName;
};

#endif

#ifndef TARWENDLE_LOGGING_CFILEAPPENDERSTATE_H
#define TARWENDLE_LOGGING_CFILEAPPENDERSTATE_H

#include <log4cpp/FileAppender.hh>

#include <string>

/*
 * What a log4cpp file appender holds but does not tell: the file it was
 * given, exactly as log4cpp read it from the configuration, and the
 * descriptor it writes to, -1 when opening the file failed. Both are
 * protected members of FileAppender. A class derived from it may name them,
 * and a member pointer named so reads them on any file appender: nothing is
 * built, opened or changed. Never instantiated.
 */
class cFileAppenderState : private log4cpp::FileAppender {
public:
    cFileAppenderState() = delete;

    static const std::string& fileName(const log4cpp::FileAppender& appender);
    static int descriptor(const log4cpp::FileAppender& appender);
};

#endif

#ifndef TARWENDLE_LOGGING_CWLOG2_H
#define TARWENDLE_LOGGING_CWLOG2_H

#include <string>

#include "cDebug.h"
#include "cError.h"
#include "cLog.h"

/*
 * Component logger: the base of every component that reports what it does.
 * Its three streams write to the log4cpp category named after the
 * component, at info, debug and error priority.
 */
class cWlog2 {
public:
    explicit cWlog2(const char* component);

    cWlog2(const cWlog2&) = delete;
    cWlog2& operator=(const cWlog2&) = delete;

private:
    // Declared first: the streams borrow its text for their whole life.
    std::string component;

public:
    cLog log;
    cDebug debug;
    cError error;
};

#endif

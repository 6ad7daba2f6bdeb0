#ifndef TARWENDLE_LOGGING_CDEBUG_H
#define TARWENDLE_LOGGING_CDEBUG_H

#include <log4cpp/Priority.hh>

#include "cLogOStream.h"

// The debug stream of a component.
class cDebug : public cLogOStream {
public:
    explicit cDebug(const char* categoryName)
        : cLogOStream(categoryName, log4cpp::Priority::DEBUG) {}
};

#endif

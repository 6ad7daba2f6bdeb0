#ifndef TARWENDLE_LOGGING_CERROR_H
#define TARWENDLE_LOGGING_CERROR_H

#include <log4cpp/Priority.hh>

#include "cLogOStream.h"

// The error stream of a component.
class cError : public cLogOStream {
public:
    explicit cError(const char* categoryName)
        : cLogOStream(categoryName, log4cpp::Priority::ERROR) {}
};

#endif

#ifndef TARWENDLE_LOGGING_CLOG_H
#define TARWENDLE_LOGGING_CLOG_H

#include <log4cpp/Priority.hh>

#include "cLogOStream.h"

// The info stream of a component.
class cLog : public cLogOStream {
public:
    explicit cLog(const char* categoryName) : cLogOStream(categoryName, log4cpp::Priority::INFO) {}
};

#endif

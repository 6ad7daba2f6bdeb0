#ifndef TARWENDLE_LOGGING_CLOG_H
#define TARWENDLE_LOGGING_CLOG_H

#include "cLogOStream.h"

// The info stream of a component.
class cLog : public cLogOStream {
public:
    explicit cLog(const char* categoryName);
    ~cLog() override;

    void logOutput(char* message) override;
    bool isEnabled() const;
};

#endif

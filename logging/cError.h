#ifndef TARWENDLE_LOGGING_CERROR_H
#define TARWENDLE_LOGGING_CERROR_H

#include "cLogOStream.h"

// The error stream of a component.
class cError : public cLogOStream {
public:
    explicit cError(const char* categoryName);
    ~cError() override;

    void logOutput(char* message) override;
    bool isEnabled() const;
};

#endif

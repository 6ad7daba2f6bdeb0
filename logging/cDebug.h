#ifndef TARWENDLE_LOGGING_CDEBUG_H
#define TARWENDLE_LOGGING_CDEBUG_H

#include "cLogOStream.h"

// The debug stream of a component.
class cDebug : public cLogOStream {
public:
    explicit cDebug(const char* categoryName);
    ~cDebug() override;

    void logOutput(char* message) override;
    bool isEnabled() const;
};

#endif

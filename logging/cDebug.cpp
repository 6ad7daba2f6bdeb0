#include "cDebug.h"

#include <log4cpp/Category.hh>
#include <log4cpp/Priority.hh>
#include <string>

cDebug::cDebug(const char* categoryName) : cLogOStream(categoryName) {}

cDebug::~cDebug() = default;

// The message goes in as a whole string, never as a format: a '%' stays a '%'.
void cDebug::logOutput(char* message) {
    log4cpp::Category::getInstance(std::string(getCategoryName())).debug(std::string(message));
}

bool cDebug::isEnabled() const {
    return isPriorityEnabled(log4cpp::Priority::DEBUG);
}

#include "cError.h"

#include <log4cpp/Category.hh>
#include <log4cpp/Priority.hh>
#include <string>

cError::cError(const char* categoryName) : cLogOStream(categoryName) {}

cError::~cError() = default;

// The message goes in as a whole string, never as a format: a '%' stays a '%'.
void cError::logOutput(char* message) {
    log4cpp::Category::getInstance(std::string(getCategoryName())).error(std::string(message));
}

bool cError::isEnabled() const {
    return isPriorityEnabled(log4cpp::Priority::ERROR);
}

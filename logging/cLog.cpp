#include "cLog.h"

#include <log4cpp/Category.hh>
#include <log4cpp/Priority.hh>
#include <string>

cLog::cLog(const char* categoryName) : cLogOStream(categoryName) {}

cLog::~cLog() = default;

// The message goes in as a whole string, never as a format: a '%' stays a '%'.
void cLog::logOutput(char* message) {
    log4cpp::Category::getInstance(std::string(getCategoryName())).info(std::string(message));
}

bool cLog::isEnabled() const {
    return isPriorityEnabled(log4cpp::Priority::INFO);
}

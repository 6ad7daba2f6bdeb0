#include "cLogOStream.h"

#include <log4cpp/Category.hh>
#include <string>

cLogOStream::cLogOStream(const char* categoryName, int priority)
    : std::ostream(nullptr), buffer(*this), categoryName(categoryName), priority(priority) {
    rdbuf(&buffer);
}

// Unflushed text is dropped: the stream only ever logs whole messages.
cLogOStream::~cLogOStream() = default;

// The message goes in as a whole string, never as a format: a '%' stays a '%'.
void cLogOStream::logOutput(char* message) {
    log4cpp::Category::getInstance(std::string(categoryName)).log(priority, std::string(message));
}

bool cLogOStream::isEnabled() const {
    return log4cpp::Category::getInstance(std::string(categoryName)).isPriorityEnabled(priority);
}

#include "cLogOStream.h"

#include <log4cpp/Category.hh>
#include <string>

cLogOStream::cLogOStream(const char* categoryName)
    : std::ostream(nullptr), buffer(*this), categoryName(categoryName) {
    rdbuf(&buffer);
}

// Unflushed text is dropped: the stream only ever logs whole messages.
cLogOStream::~cLogOStream() = default;

bool cLogOStream::isPriorityEnabled(int priority) const {
    return log4cpp::Category::getInstance(std::string(categoryName)).isPriorityEnabled(priority);
}

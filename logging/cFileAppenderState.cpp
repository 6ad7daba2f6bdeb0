#include "cFileAppenderState.h"

const std::string& cFileAppenderState::fileName(const log4cpp::FileAppender& appender) {
    return appender.*(&cFileAppenderState::_fileName);
}

int cFileAppenderState::descriptor(const log4cpp::FileAppender& appender) {
    return appender.*(&cFileAppenderState::_fd);
}

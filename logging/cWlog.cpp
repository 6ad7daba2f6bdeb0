#include "cWlog.h"

#include <log4cpp/Category.hh>
#include <log4cpp/Configurator.hh>
#include <log4cpp/FileAppender.hh>
#include <log4cpp/OstreamAppender.hh>
#include <log4cpp/PatternLayout.hh>
#include <log4cpp/Priority.hh>
#include <log4cpp/PropertyConfigurator.hh>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cFileAppenderState.h"

namespace {

const char* const CONSOLE_PATTERN = "%d{%Y-%m-%d %H:%M:%S} %p %c: %m%n";
const char* const NULL_DEVICE = "/dev/null";

std::unique_ptr<log4cpp::Appender> consoleAppender(const std::string& name) {
    auto layout = std::make_unique<log4cpp::PatternLayout>();
    layout->setConversionPattern(CONSOLE_PATTERN);
    auto appender = std::make_unique<log4cpp::OstreamAppender>(name, &std::cerr);
    appender->setLayout(layout.release());  // the appender owns its layout
    return appender;
}

// Where descriptors 0 to 2 are missing, a file that is opened takes the
// lowest free one, and what is written to standard input, output or error
// lands in it: a log file would get the start-up error line, without layout.
void occupyStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lower ones are open: this open takes `fd` itself. Kept for the
        // life of the process.
        if (::open(NULL_DEVICE, O_RDWR) == -1) {
            return;
        }
    }
}

/*
 * log4cpp's file appenders open their file when they are built and, when
 * that fails, drop every event without a word. Each such appender is named
 * on standard error, and every category it serves gets a console appender
 * beside it, so that what it would have lost goes to standard error. The
 * appenders that work keep their descriptors untouched.
 */
void reportUnwritableFiles() {
    std::unique_ptr<std::vector<log4cpp::Category*>> categories(
        log4cpp::Category::getCurrentCategories());
    std::set<log4cpp::Appender*> checked;
    std::set<log4cpp::Appender*> failing;
    for (log4cpp::Category* category : *categories) {
        bool losesEvents = false;
        for (log4cpp::Appender* appender : category->getAllAppenders()) {
            auto* file = dynamic_cast<log4cpp::FileAppender*>(appender);
            if (file == nullptr) {
                continue;
            }
            // One more try at a file that did not open tells why it cannot.
            if (checked.insert(appender).second && cFileAppenderState::descriptor(*file) < 0 &&
                !file->reopen()) {
                const int error = errno;
                failing.insert(appender);
                std::cerr << "cWlog: cannot write log file '" << cFileAppenderState::fileName(*file)
                          << "' of appender '" << appender->getName() << "' ("
                          << std::strerror(error) << "); its events go to standard error"
                          << std::endl;
            }
            losesEvents = losesEvents || failing.count(appender) != 0;
        }
        if (losesEvents) {
            // owned by the category
            category->addAppender(consoleAppender("console-" + category->getName()).release());
        }
    }
}

// A failed configuration may have set up some categories before it gave up;
// none of that must survive into the fallback.
void resetAllCategories() {
    std::unique_ptr<std::vector<log4cpp::Category*>> categories(
        log4cpp::Category::getCurrentCategories());
    for (log4cpp::Category* category : *categories) {
        category->removeAllAppenders();
        category->setAdditivity(true);
        if (category != &log4cpp::Category::getRoot()) {
            category->setPriority(log4cpp::Priority::NOTSET);
        }
    }
}

}  // namespace

bool cWlog::init(const char* path) {
    occupyStandardDescriptors();
    if (path == nullptr) {
        std::cerr << "cWlog: no log configuration file given; logging to standard error at INFO"
                  << std::endl;
        initConsole();
        return false;
    }
    try {
        log4cpp::PropertyConfigurator::configure(path);
        reportUnwritableFiles();
        return true;
    } catch (const std::exception& failure) {
        std::cerr << "cWlog: cannot use log configuration '" << path << "' (" << failure.what()
                  << "); logging to standard error at INFO" << std::endl;
    }
    initConsole();
    return false;
}

void cWlog::initConsole() {
    resetAllCategories();
    log4cpp::Category& root = log4cpp::Category::getRoot();
    root.setPriority(log4cpp::Priority::INFO);
    root.addAppender(consoleAppender("console").release());  // the category owns its appender
}

#include "cWlog.h"

#include <log4cpp/Category.hh>
#include <log4cpp/Configurator.hh>
#include <log4cpp/FileAppender.hh>
#include <log4cpp/OstreamAppender.hh>
#include <log4cpp/PatternLayout.hh>
#include <log4cpp/Priority.hh>
#include <log4cpp/PropertyConfigurator.hh>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const CONSOLE_PATTERN = "%d{%Y-%m-%d %H:%M:%S} %p %c: %m%n";

std::unique_ptr<log4cpp::Appender> consoleAppender(const std::string& name) {
    auto layout = std::make_unique<log4cpp::PatternLayout>();
    layout->setConversionPattern(CONSOLE_PATTERN);
    auto appender = std::make_unique<log4cpp::OstreamAppender>(name, &std::cerr);
    appender->setLayout(layout.release());  // the appender owns its layout
    return appender;
}

// The file an appender of the configuration writes, as the file names it.
std::string fileOf(const char* path, const std::string& appender) {
    const std::string key = "log4cpp.appender." + appender + ".fileName=";
    std::ifstream conf(path);
    for (std::string line; std::getline(conf, line);) {
        if (line.compare(0, key.size(), key) == 0) {
            return line.substr(key.size());
        }
    }
    return "?";
}

/*
 * log4cpp's file appenders open their file when they are built and, when
 * that fails, drop every event without a word. Each such appender is named
 * on standard error, and every category it serves gets a console appender
 * beside it, so that what it would have lost goes to standard error. The
 * appenders that work are kept as they are.
 */
void reportUnwritableFiles(const char* path) {
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
            // Opening again tells whether it can open at all.
            if (checked.insert(appender).second && !file->reopen()) {
                const int error = errno;
                failing.insert(appender);
                std::cerr << "cWlog: cannot write log file '" << fileOf(path, appender->getName())
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
    if (path == nullptr) {
        std::cerr << "cWlog: no log configuration file given; logging to standard error at INFO"
                  << std::endl;
        initConsole();
        return false;
    }
    try {
        log4cpp::PropertyConfigurator::configure(path);
        reportUnwritableFiles(path);
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

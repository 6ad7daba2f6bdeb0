#include "cWlog.h"

#include <log4cpp/Category.hh>
#include <log4cpp/Configurator.hh>
#include <log4cpp/OstreamAppender.hh>
#include <log4cpp/PatternLayout.hh>
#include <log4cpp/Priority.hh>
#include <log4cpp/PropertyConfigurator.hh>

#include <iostream>
#include <memory>
#include <vector>

namespace {

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
    auto layout = std::make_unique<log4cpp::PatternLayout>();
    layout->setConversionPattern("%d{%Y-%m-%d %H:%M:%S} %p %c: %m%n");
    auto appender = std::make_unique<log4cpp::OstreamAppender>("console", &std::cerr);
    appender->setLayout(layout.release());  // the appender owns its layout
    log4cpp::Category& root = log4cpp::Category::getRoot();
    root.setPriority(log4cpp::Priority::INFO);
    root.addAppender(appender.release());  // the category owns its appender
}

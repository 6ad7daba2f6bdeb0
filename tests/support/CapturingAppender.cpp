#include "CapturingAppender.h"

#include <log4cpp/Layout.hh>
#include <log4cpp/Priority.hh>

#include <memory>
#include <ostream>

std::ostream& operator<<(std::ostream& out, const CapturedEvent& event) {
    return out << event.category << " " << event.priority << " '" << event.message << "'";
}

CapturingAppender::CapturingAppender() : log4cpp::AppenderSkeleton("capture") {
    std::unique_ptr<std::vector<log4cpp::Category*>> categories(
        log4cpp::Category::getCurrentCategories());
    log4cpp::Category& root = log4cpp::Category::getRoot();
    for (log4cpp::Category* category : *categories) {
        category->removeAllAppenders();
        category->setAdditivity(true);
        if (category != &root) {
            category->setPriority(log4cpp::Priority::NOTSET);
        }
    }
    root.setPriority(log4cpp::Priority::DEBUG);
    root.addAppender(*this);  // lent: the test owns the appender
}

CapturingAppender::~CapturingAppender() {
    log4cpp::Category::getRoot().removeAppender(this);
}

void CapturingAppender::setLayout(log4cpp::Layout* layout) {
    delete layout;
}

std::vector<std::string> CapturingAppender::messages() const {
    std::vector<std::string> texts;
    for (const CapturedEvent& event : captured) {
        texts.push_back(event.message);
    }
    return texts;
}

void CapturingAppender::_append(const log4cpp::LoggingEvent& event) {
    captured.push_back(
        {event.categoryName, log4cpp::Priority::getPriorityName(event.priority), event.message});
}

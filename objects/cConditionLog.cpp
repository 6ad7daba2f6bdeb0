#include "cConditionLog.h"

#include <utility>

#include <log4cpp/Category.hh>

#include "cPeerText.h"

cConditionLog::cConditionLog(const char* categoryName, std::string operation, std::string counted)
    : category(log4cpp::Category::getInstance(categoryName)),
      what(std::move(operation)),
      unit(std::move(counted)) {}

void cConditionLog::failed(const std::string& reason, const std::string& detail) {
    ++failures;
    if (reason == condition) {
        return;
    }
    condition = reason;
    // Each quote is bounded where it is made; the line is bounded as a whole
    // too, whatever the reasons add up to.
    category.warn(cPeerText::cut(what + " failed: " + reason + (detail.empty() ? "" : ": " + detail),
                                 LINE_BYTES));
}

void cConditionLog::succeeded() {
    if (failures == 0) {
        return;
    }
    category.warn(what + " works again after " + std::to_string(failures) + " failed " + unit +
                  (failures == 1 ? "" : "s"));
    failures = 0;
    condition.clear();
}

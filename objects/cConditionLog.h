#ifndef TARWENDLE_OBJECTS_CCONDITIONLOG_H
#define TARWENDLE_OBJECTS_CCONDITIONLOG_H

#include <cstddef>
#include <string>

namespace log4cpp {
class Category;
}

/*
 * Reports a repeated operation's failures through log4cpp at WARN, once per
 * change of condition: the first failure, a failure for another reason, and
 * the recovery, with the number of failures it ends. Failures for the same
 * reason in a row are counted, not logged again, so that months without an
 * object service do not fill the controller's flash.
 */
class cConditionLog {
public:
    // A failure's line at most, so that the category's lines stay under
    // 300 bytes with their prefix.
    static constexpr std::size_t LINE_BYTES = 272;

    // `what` names the operation in the log ("reading from the object
    // service"), `unit` what is counted ("poll", "write").
    cConditionLog(const char* category, std::string what, std::string unit);

    // `condition` tells one reason from another; `detail` is logged with
    // the first failure of a condition but does not make a new one.
    void failed(const std::string& condition, const std::string& detail = "");
    void succeeded();

    // Failures since the last success.
    unsigned long getFailures() const { return failures; }

private:
    log4cpp::Category& category;
    std::string what;
    std::string unit;
    std::string condition;  // empty while the operation works
    unsigned long failures = 0;
};

#endif

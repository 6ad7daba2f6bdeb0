#ifndef TARWENDLE_TESTS_CAPTURINGAPPENDER_H
#define TARWENDLE_TESTS_CAPTURINGAPPENDER_H

#include <log4cpp/AppenderSkeleton.hh>
#include <log4cpp/Category.hh>

#include <string>
#include <vector>

// One log4cpp event as the tests compare it.
struct CapturedEvent {
    std::string category;
    std::string priority;  // "INFO", "DEBUG", "ERROR"
    std::string message;

    bool operator==(const CapturedEvent& other) const {
        return category == other.category && priority == other.priority && message == other.message;
    }
};

std::ostream& operator<<(std::ostream& out, const CapturedEvent& event);

/*
 * Records every event that reaches the root category, in order. Installing
 * one resets log4cpp to just this appender at DEBUG; the destructor takes it
 * out again.
 */
class CapturingAppender : public log4cpp::AppenderSkeleton {
public:
    CapturingAppender();
    ~CapturingAppender() override;

    const std::vector<CapturedEvent>& events() const { return captured; }
    std::vector<std::string> messages() const;
    void clear() { captured.clear(); }

    void close() override {}
    bool reopen() override { return true; }
    bool requiresLayout() const override { return false; }
    void setLayout(log4cpp::Layout* layout) override;

protected:
    void _append(const log4cpp::LoggingEvent& event) override;

private:
    std::vector<CapturedEvent> captured;
};

#endif

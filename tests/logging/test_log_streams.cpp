// Log streams: every flushed message is exactly one log4cpp event.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CapturingAppender.h"
#include "cWlog2.h"

namespace {

using Events = std::vector<CapturedEvent>;

class LogStreams : public ::testing::Test {
protected:
    CapturingAppender capture;
    cWlog2 logger{"Component"};
};

TEST_F(LogStreams, TextReachesLog4cppVerbatimWithoutItsFinalNewline) {
    struct Case {
        std::string written;
        std::string logged;
    };
    const std::vector<Case> cases = {
        {"plain", "plain"},
        {"100% %s %d %n %%", "100% %s %d %n %%"},  // never a format
        {"Level ends in a space ", "Level ends in a space "},
        {"inner\nnewline", "inner\nnewline"},
        {"", ""},
        {"two newlines\n", "two newlines\n"},  // only the one endl adds is dropped
    };
    for (const Case& c : cases) {
        capture.clear();
        logger.log << c.written << std::endl;
        EXPECT_EQ(capture.events(), (Events{{"Component", "INFO", c.logged}})) << c.written;
    }
}

TEST_F(LogStreams, EachStreamUsesItsOwnPriorityAndEventsKeepTheirOrder) {
    logger.log << "one" << std::endl;
    logger.debug << "two" << std::endl;
    logger.error << "three" << std::endl;
    logger.log << "four" << std::endl;
    EXPECT_EQ(capture.events(), (Events{{"Component", "INFO", "one"},
                                        {"Component", "DEBUG", "two"},
                                        {"Component", "ERROR", "three"},
                                        {"Component", "INFO", "four"}}));
}

TEST_F(LogStreams, UnflushedTextWaitsForTheNextFlushOfThatStreamOnly) {
    logger.log << "Found some triggers..." << 3;
    logger.debug << "other stream" << std::endl;
    logger.log << " of them" << std::endl;
    logger.log << std::flush;  // nothing pending: no event
    EXPECT_EQ(capture.events(), (Events{{"Component", "DEBUG", "other stream"},
                                        {"Component", "INFO", "Found some triggers...3 of them"}}));
}

TEST_F(LogStreams, UnflushedTextIsDroppedWhenTheLoggerGoesAway) {
    {
        auto shortLived = std::make_unique<cWlog2>("Gone");
        shortLived->debug << "never finished";
    }
    EXPECT_TRUE(capture.events().empty());
}

TEST_F(LogStreams, LongMessagesArriveWholeAsOneEvent) {
    const std::string big(200000, 'x');
    logger.log << big << "|end" << std::endl;
    ASSERT_EQ(capture.events().size(), 1U);
    EXPECT_EQ(capture.events()[0].message, big + "|end");
}

TEST_F(LogStreams, FormatFlagsStayOnTheStream) {
    logger.log << std::hex << 161 << std::endl;
    logger.log << 255 << std::endl;
    logger.debug << 255 << std::endl;
    EXPECT_EQ(capture.messages(), (std::vector<std::string>{"a1", "ff", "255"}));
}

TEST_F(LogStreams, IsEnabledFollowsTheCategoryPriority) {
    EXPECT_TRUE(logger.debug.isEnabled());
    log4cpp::Category::getRoot().setPriority(log4cpp::Priority::INFO);
    EXPECT_FALSE(logger.debug.isEnabled());
    EXPECT_TRUE(logger.log.isEnabled());
    EXPECT_TRUE(logger.error.isEnabled());
}

}  // namespace

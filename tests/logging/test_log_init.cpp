// Logging set-up from a properties file, and its fallback to standard error.
#include <gtest/gtest.h>
#include <log4cpp/Category.hh>
#include <log4cpp/FileAppender.hh>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "CaughtStdout.h"
#include "cFileAppenderState.h"
#include "cWlog.h"
#include "cWlog2.h"

namespace {

std::string writeFile(const std::string& name, const std::string& text) {
    // ctest runs cases as parallel processes: each needs files of its own.
    std::string path = ::testing::TempDir() + std::to_string(getpid()) + "-" + name;
    std::ofstream(path) << text;
    return path;
}

std::string linkTarget(const std::string& link) {
    char target[PATH_MAX] = {};
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    return length < 0 ? "" : std::string(target, static_cast<std::size_t>(length));
}

// Everything at INFO and above into one file, in the given layout.
std::string fileConf(const std::string& logPath, const std::string& pattern) {
    return "log4cpp.rootCategory=INFO, file\n"
           "log4cpp.appender.file=org.apache.log4j.FileAppender\n"
           "log4cpp.appender.file.fileName=" +
           logPath +
           "\n"
           "log4cpp.appender.file.layout=org.apache.log4j.PatternLayout\n"
           "log4cpp.appender.file.layout.ConversionPattern=" +
           pattern + "\n";
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Sets logging up from the file, then logs an event at INFO and one below
// it. Says whether the file was used, and what reached standard error;
// nothing may reach standard output.
std::pair<bool, std::string> initAndLog(const std::string& conf, const char* category,
                                        const char* event) {
    CaughtStdout caught;
    ::testing::internal::CaptureStderr();
    const bool used = cWlog::init(conf.c_str());
    cWlog2 logger(category);
    logger.log << event << std::endl;
    logger.debug << "below INFO" << std::endl;
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(caught.text(), "") << conf;
    return {used, err};
}

TEST(LogInit, PropertiesFileRoutesEventsByPriority) {
    const std::string logPath = ::testing::TempDir() + std::to_string(getpid()) + "-init-test.log";
    std::remove(logPath.c_str());
    const std::string conf = writeFile("init-test.conf", fileConf(logPath, "%p %c %m%n"));
    EXPECT_EQ(initAndLog(conf, "Config", "50% done"), std::make_pair(true, std::string()));
    EXPECT_EQ(readFile(logPath), "INFO Config 50% done\n");
}

// A log file that cannot be opened loses nothing: it is named on standard
// error, which takes its events; a file that works keeps its own.
TEST(LogInit, UnwritableLogFileIsNamedAndItsEventsGoToStandardError) {
    const std::string good = ::testing::TempDir() + std::to_string(getpid()) + "-good.log";
    const std::string bad = ::testing::TempDir() + "no-such-dir/tarwendle.log";
    std::remove(good.c_str());
    const std::string conf =
        writeFile("unwritable.conf",
                  "log4cpp.rootCategory=INFO, lost\n"
                  "log4cpp.category.Config=INFO, kept\n"
                  "log4cpp.additivity.Config=false\n"
                  "log4cpp.appender.lost=org.apache.log4j.RollingFileAppender\n"
                  "log4cpp.appender.lost.fileName=" +
                      bad +
                      "\n"
                      "log4cpp.appender.lost.layout=org.apache.log4j.PatternLayout\n"
                      "log4cpp.appender.lost.layout.ConversionPattern=%p %c %m%n\n"
                      "log4cpp.appender.kept=org.apache.log4j.FileAppender\n"
                      "log4cpp.appender.kept.fileName=" +
                      good +
                      "\n"
                      "log4cpp.appender.kept.layout=org.apache.log4j.PatternLayout\n"
                      "log4cpp.appender.kept.layout.ConversionPattern=%p %c %m%n\n");
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(cWlog::init(conf.c_str()));
    cWlog2 engine("WendleEngine");
    cWlog2 config("Config");
    engine.log << "to the console" << std::endl;
    config.log << "to its file" << std::endl;
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cWlog: cannot write log file '" + bad +
                       "' of appender 'lost' (No such file or directory); its events go to "
                       "standard error\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(" INFO WendleEngine: to the console\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("to its file"), std::string::npos) << err;
    EXPECT_EQ(readFile(good), "INFO Config to its file\n");
}

// The file is named as log4cpp read it: either key prefix, blanks around
// '=' and after the value. Each row has an appender of its own name: log4cpp
// registers appenders by name, and one built again under the same name
// would orphan the last.
TEST(LogInit, UnwritableLogFileIsNamedAsLog4cppReadsIt) {
    const std::string bad = ::testing::TempDir() + "no-such-dir/x.log";
    const std::vector<std::string> fileNameLines = {
        "log4cpp.appender.%.fileName=" + bad,
        "log4j.appender.%.fileName = " + bad,
        "  log4cpp.appender.%.fileName\t=\t" + bad + "  ",
        "log4j.appender.%.fileName=" + bad + " # the controller's log",
    };
    for (std::size_t row = 0; row < fileNameLines.size(); ++row) {
        const std::string name = "lost" + std::to_string(row);
        std::string line = fileNameLines[row];
        line.replace(line.find('%'), 1, name);
        const std::string key = "log4cpp.appender." + name;
        const std::string conf = writeFile(
            "named.conf", line + "\n" + key + ".layout=org.apache.log4j.BasicLayout\n" + key +
                              "=org.apache.log4j.FileAppender\nlog4cpp.rootCategory=INFO, " + name +
                              "\n");
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(cWlog::init(conf.c_str())) << line;
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(
            err.find("cWlog: cannot write log file '" + bad + "' of appender '" + name + "' ("),
            std::string::npos)
            << line << "\n"
            << err;
    }
}

// With standard input, output or error closed at start, a log file would
// take their descriptor and get what is written to them.
TEST(LogInit, ClosedStandardDescriptorsAreTakenByNullNotByTheLogFile) {
    const std::string logPath = ::testing::TempDir() + std::to_string(getpid()) + "-fd.log";
    std::remove(logPath.c_str());
    const std::string conf = writeFile("fd.conf", fileConf(logPath, "%p %m%n"));
    const int standard[] = {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO};
    int saved[3];
    std::fflush(nullptr);
    for (int i = 0; i < 3; ++i) {
        saved[i] = ::fcntl(standard[i], F_DUPFD_CLOEXEC, 10);
        ::close(standard[i]);
    }
    const bool used = cWlog::init(conf.c_str());
    std::vector<std::string> targets;
    for (int fd : standard) {
        targets.push_back(linkTarget("/proc/self/fd/" + std::to_string(fd)));
    }
    int logFd = -1;
    for (log4cpp::Appender* appender : log4cpp::Category::getRoot().getAllAppenders()) {
        if (auto* file = dynamic_cast<log4cpp::FileAppender*>(appender)) {
            logFd = cFileAppenderState::descriptor(*file);
        }
    }
    for (int i = 0; i < 3; ++i) {
        ::dup2(saved[i], standard[i]);
        ::close(saved[i]);
    }

    EXPECT_TRUE(used);
    EXPECT_EQ(targets, std::vector<std::string>(3, "/dev/null"));
    EXPECT_GT(logFd, STDERR_FILENO);
    EXPECT_EQ(linkTarget("/proc/self/fd/" + std::to_string(logFd)), logPath);
    cWlog2("Config").log << "to its file" << std::endl;
    EXPECT_EQ(readFile(logPath), "INFO to its file\n");
}

TEST(LogInit, UnusableFileFallsBackToStandardErrorAtInfo) {
    const std::string missing = ::testing::TempDir() + "no-such-dir/none.conf";
    const std::string broken = writeFile("broken.conf",
                                         "log4cpp.rootCategory=INFO, a\n"
                                         "log4cpp.appender.a=NoSuchAppender\n");
    for (const std::string& path : {missing, broken}) {
        const auto [used, err] = initAndLog(path, "WendleEngine", "kept");
        EXPECT_FALSE(used);
        EXPECT_NE(err.find("cWlog: cannot use log configuration '" + path + "'"), std::string::npos)
            << err;
        EXPECT_NE(err.find(" INFO WendleEngine: kept\n"), std::string::npos) << err;
        EXPECT_EQ(err.find("below INFO"), std::string::npos) << err;
        // Exactly one explanation and one event, whatever the file had set up.
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
    }
}

}  // namespace

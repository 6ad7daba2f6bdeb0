#include "BenchSupport.h"

#include <unistd.h>
#include <log4cpp/Category.hh>
#include <log4cpp/FileAppender.hh>
#include <log4cpp/PatternLayout.hh>
#include <log4cpp/Priority.hh>

#include <cstdio>

namespace bench {

namespace {

// Port labels are unique per kind; devices cycle so serials repeat too.
std::string label(const char* kind, int index) {
    return std::string(kind) + std::to_string(index);
}
unsigned int serial(int index) {
    return 0xa1 + index % 16;
}
std::string device(int index) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", serial(index));
    return text;
}

}  // namespace

std::string scratchFile(const char* name) {
    return "/tmp/tarwendle-bench-" + std::to_string(getpid()) + "-" + name;
}

nlohmann::json section(int triggers) {
    nlohmann::json rules = nlohmann::json::array();
    for (int i = 0; i < triggers; ++i) {
        if (i % 2 == 0) {
            rules.push_back({{"type", "digital"},
                             {"label", label("DI", i)},
                             {"deviceid", device(i)},
                             {"operation", "alarm"}});
        } else {
            rules.push_back({{"type", "analog"},
                             {"label", label("AI", i)},
                             {"deviceid", device(i)},
                             {"operation", "gt"},
                             {"value", "25.0"}});
        }
    }
    // Day 7 never comes: both windows stay inactive whatever the clock says.
    return {{"output", {{"label", "DO1"}, {"deviceid", "a1"}}},
            {"triggers", rules},
            {"timelimits",
             {{{"days", {7}}, {"from", "07:30"}, {"to", "08:00"}, {"mustrun", "true"}},
              {{"days", {7}}, {"from", "22:00"}, {"to", "23:59"}, {"mustrun", "false"}}}}};
}

nlohmann::json simulatorState(int triggers) {
    nlohmann::json digital = nlohmann::json::array();
    nlohmann::json analog = nlohmann::json::array();
    for (int i = 0; i < triggers; ++i) {
        if (i % 2 == 0) {
            digital.push_back({{"label", label("DI", i)}, {"deviceid", device(i)}, {"status", 2}});
        } else {
            analog.push_back({{"label", label("AI", i)}, {"deviceid", device(i)}, {"value", 21.5}});
        }
    }
    return {{"digital_inputs", digital},
            {"analog_inputs", analog},
            {"digital_outputs",
             {{{"label", "DO1"}, {"deviceid", "a1"}, {"portid", 3}, {"default", 2}, {"state", 2}}}},
            {"fault", "none"}};
}

std::unique_ptr<MemoryService> answeringService(int triggers) {
    auto service = std::make_unique<MemoryService>();
    // The engine asks for the digital inputs first, then the analog ones.
    for (int i = 0; i < triggers; i += 2) {
        service->digitalInput(label("DI", i).c_str(), serial(i), cObject::STATUS_ALARM_CLEAR);
    }
    for (int i = 1; i < triggers; i += 2) {
        service->analogInput(label("AI", i).c_str(), serial(i), 21.5F);
    }
    service->digitalOutput("DO1", 0xa1, 3, cObject::IOSTATE_LOW, cObject::IOSTATE_LOW);
    return service;
}

void configureLogging(Logging level, const std::string& file) {
    log4cpp::Category& root = log4cpp::Category::getRoot();
    root.removeAllAppenders();
    auto layout = std::make_unique<log4cpp::PatternLayout>();
    layout->setConversionPattern("%d{%Y-%m-%d %H:%M:%S} %-5p %c: %m%n");
    auto appender = std::make_unique<log4cpp::FileAppender>("file", file, false);
    appender->setLayout(layout.release());
    root.addAppender(appender.release());
    root.setPriority(level == Logging::DEBUG ? log4cpp::Priority::DEBUG : log4cpp::Priority::INFO);
}

}  // namespace bench

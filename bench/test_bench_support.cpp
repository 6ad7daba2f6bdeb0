// The benchmarks measure what they claim only if every configured trigger
// is answered: a miss would time the cheap path of an unknown port.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "CapturingAppender.h"
#include "CaughtStdout.h"
#include "RuleText.h"
#include "SimulatorState.h"
#include "WendleEngine.h"

namespace {

const int SIZES[] = {1, 10, 101};

TEST(BenchSupport, SimulatorStateAnswersEveryTriggerAndTheOutput) {
    for (int size : SIZES) {
        const nlohmann::json section = bench::section(size);
        ASSERT_EQ(section["triggers"].size(), static_cast<std::size_t>(size));
        SimulatorState state;
        std::string why;
        ASSERT_TRUE(state.parse(bench::simulatorState(size).dump(), why)) << why;
        for (const nlohmann::json& rule : section["triggers"]) {
            cObjectDInput digital;
            cObjectAInput analog;
            cObjectPort& port = rule["type"] == "digital" ? static_cast<cObjectPort&>(digital)
                                                          : static_cast<cObjectPort&>(analog);
            port.setPortLabel(rule["label"].get<std::string>().c_str());
            port.setDeviceSerial(RuleText::toDeviceId(rule["deviceid"].get<std::string>()));
            EXPECT_NE(state.find(port), nullptr) << size << ": " << rule.dump();
        }
        cObjectDOutput output;
        output.setPortLabel("DO1");
        output.setDeviceSerial(0xa1);
        EXPECT_NE(state.find(output), nullptr) << size;
    }
}

TEST(BenchSupport, EveryTriggerTakesItsAnswerAndNoneReleases) {
    for (int size : SIZES) {
        CapturingAppender capture;  // root at DEBUG
        CaughtStdout quiet;
        WendleEngine engine(bench::section(size));
        quiet.text();
        std::unique_ptr<MemoryService> answering = bench::answeringService(size);
        MemoryService* service = answering.get();
        engine.useService(std::move(answering));
        // The benchmarks time polls after the first.
        engine.update_ports();
        capture.clear();
        engine.update_ports();

        const std::vector<std::string> lines = capture.messages();
        const auto settings = std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.rfind("Setting ", 0) == 0 && l.rfind("Setting Output", 0) != 0;
        });
        EXPECT_EQ(settings, size);
        EXPECT_NE(std::find(lines.begin(), lines.end(), "Inhibit Output "), lines.end()) << size;
        EXPECT_EQ(service->reads(), 2);
        EXPECT_EQ(service->writes(), 2);
    }
}

}  // namespace

// The port index: whatever order a response lists its ports in, a lookup
// gives exactly the triggers a scan of every trigger would, in their order.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "PortIndex.h"
#include "cObjectDInput.h"

namespace {

using Port = std::pair<unsigned int, std::string>;

std::vector<std::unique_ptr<cObjectDInput>> makeTriggers(const std::vector<Port>& ports) {
    std::vector<std::unique_ptr<cObjectDInput>> triggers;
    for (const Port& port : ports) {
        triggers.push_back(std::make_unique<cObjectDInput>());
        triggers.back()->setDeviceSerial(port.first);
        triggers.back()->setPortLabel(port.second.c_str());
    }
    return triggers;
}

std::vector<cObjectDInput*> scan(const std::vector<std::unique_ptr<cObjectDInput>>& triggers,
                                 const Port& port) {
    std::vector<cObjectDInput*> found;
    for (const auto& trigger : triggers) {
        if (trigger->getDeviceSerial() == port.first &&
            std::strcmp(trigger->getPortLabel(), port.second.c_str()) == 0) {
            found.push_back(trigger.get());
        }
    }
    return found;
}

TEST(PortIndex, EveryResponseOrderFindsWhatAScanFinds) {
    const Port a{1, "DI1"}, b{1, "DI2"}, c{2, "DI1"}, d{2, "DI10"}, unknown{9, "DI1"};
    // a is watched twice: a request asks for it twice and gets two answers.
    const std::vector<Port> configured = {a, b, a, c, d};
    struct Case {
        const char* name;
        std::vector<Port> response;
    };
    const std::vector<Case> cases = {
        {"request order", {a, b, a, c, d}},
        {"a port left out", {a, a, c, d}},
        {"the first port left out", {b, a, c, d}},
        {"an unasked port in between", {a, unknown, b, a, c, d}},
        {"reversed", {d, c, a, b, a}},
        {"answered twice over", {a, b, a, c, d, a, b, a, c, d}},
        {"same label on another device", {c, a, d}},
        {"label prefix of another", {d, c}},
        {"empty", {}},
    };
    const auto triggers = makeTriggers(configured);
    PortIndex<cObjectDInput> index;
    for (const auto& trigger : triggers) {
        index.add(trigger.get());
    }
    for (const Case& test : cases) {
        // Two polls in a row: the second must not depend on where the first ended.
        for (int poll = 0; poll < 2; ++poll) {
            index.rewind();
            for (const Port& port : test.response) {
                EXPECT_EQ(index.find(port.first, port.second.c_str()), scan(triggers, port))
                    << test.name << ", poll " << poll << ", port " << port.first << ":"
                    << port.second;
            }
        }
    }
}

}  // namespace

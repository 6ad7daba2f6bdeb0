#ifndef TARWENDLE_TESTS_SUPPORT_RUNNINGSIMULATOR_H
#define TARWENDLE_TESTS_SUPPORT_RUNNINGSIMULATOR_H

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "ObjectSimulator.h"

// The simulator on a thread of its own, as the service the client talks to.
class RunningSimulator {
public:
    RunningSimulator(const std::string& stateFile, const std::string& journalFile, int port) {
        ObjectSimulator::Options options;
        options.port = port;
        options.stateFile = stateFile;
        options.journalFile = journalFile;
        simulator = std::make_unique<ObjectSimulator>(options, out, err);
        std::string why;
        opened = simulator->open(why);
        EXPECT_TRUE(opened) << why;
        if (opened) {
            thread = std::thread([this] { simulator->run(); });
        }
    }

    ~RunningSimulator() { stop(); }

    RunningSimulator(const RunningSimulator&) = delete;
    RunningSimulator& operator=(const RunningSimulator&) = delete;

    int port() const { return simulator->getPort(); }

    // Stops serving; the streams may be read from then on.
    void stop() {
        if (thread.joinable()) {
            simulator->requestStop();
            thread.join();
        }
    }

    std::ostringstream out;
    std::ostringstream err;

private:
    std::unique_ptr<ObjectSimulator> simulator;
    std::thread thread;
    bool opened = false;
};

#endif

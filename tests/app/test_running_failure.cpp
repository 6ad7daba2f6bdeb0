// A failure after start-up aborts with a line that says so, instead of
// passing for a start-up error (exit status 1, which the unit never restarts).
#include <gtest/gtest.h>

#include <csignal>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <regex>
#include <stdexcept>
#include <string>
#include <utility>

#include "ObjectService.h"
#include "RunningFailure.h"
#include "WendleEngine.h"

namespace {

// An object service whose every read fails in a way the engine does not
// handle: whatever `failure` does escapes the poll.
class FailingService : public ObjectService {
public:
    explicit FailingService(std::function<void()> failure) : failure(std::move(failure)) {}
    void start(const char* /*host*/, int /*port*/) override {}
    cObjectList* get(cObjectList* /*request*/) override {
        failure();
        return nullptr;
    }
    Write set(cObject* /*object*/) override { return Write::APPLIED; }

private:
    std::function<void()> failure;
};

// As main runs the engine: nothing above it catches. A death test catches
// what escapes its statement, so the boundary here is noexcept, which hands
// an escaping exception to the terminate handler as the top of main does.
void runUncaught(WendleEngine& engine) noexcept {
    engine.run();
}

std::string literal(const std::string& text) {
    return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

TEST(RunningFailureTest, AbortsNamingTheFailureAndThatTheServiceRan) {
    const struct {
        const char* name;
        std::function<void()> failure;
        const char* named;  // how standard error names it
    } cases[] = {
        {"memory", [] { throw std::bad_alloc(); }, "std::bad_alloc"},
        {"standard", [] { throw std::runtime_error("no socket left"); }, "no socket left"},
        {"other type", [] { throw 42; }, "an exception of type int"},
        {"no exception", [] { std::terminate(); }, "terminated without an exception"},
    };
    for (const auto& c : cases) {
        WendleEngine engine(nlohmann::json{{"output", {{"label", "DO1"}, {"deviceid", "a1"}}}});
        engine.useService(std::make_unique<FailingService>(c.failure));
        const std::string line = std::string(
                                     "tarwendle: failed while running, after start-up "
                                     "had completed: ") +
                                 c.named + "; aborting, to be restarted\n";
        EXPECT_EXIT(
            {
                RunningFailure::install();
                runUncaught(engine);
            },
            testing::KilledBySignal(SIGABRT), literal(line))
            << c.name;
    }
}

}  // namespace

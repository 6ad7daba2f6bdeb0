/*
 * Cost of the service's work: one poll in-process and over loopback, and
 * building the engine. Each poll benchmark reports per-trigger time too, so
 * that growth with the configuration shows at a glance.
 */
#include <benchmark/benchmark.h>
#include <log4cpp/Category.hh>
#include <log4cpp/Priority.hh>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "ClientService.h"
#include "ConstructionTrace.h"
#include "ObjectSimulator.h"
#include "WendleEngine.h"

namespace {

// Debug lines go to a real file, as on a controller; it is emptied before
// each run so that a long run does not fill the disk.
const std::string& logFile() {
    static const std::string path = bench::scratchFile("poll.log");
    return path;
}

std::unique_ptr<WendleEngine> buildEngine(const nlohmann::json& section) {
    const ConstructionTrace dropped(ConstructionTrace::nowhere());
    return std::make_unique<WendleEngine>(section);
}
std::unique_ptr<WendleEngine> buildEngine(int triggers) {
    return buildEngine(bench::section(triggers));
}

// How the polls of a run go: the output held (the normal case), held with
// the switching history's category off, or switched by every poll.
enum class Output { HELD, HELD_UNTOLD, SWITCHED };

/*
 * An engine whose only window forces release from midnight to noon, with a
 * clock that alternates between 06:00 and 18:00 of a day: every poll
 * switches the output and writes a history line.
 */
std::unique_ptr<WendleEngine> switchingEngine(int triggers) {
    nlohmann::json section = bench::section(triggers);
    section["timelimits"] = {{{"from", "00:00"}, {"to", "11:59"}, {"mustrun", "true"}}};
    std::unique_ptr<WendleEngine> engine = buildEngine(section);
    std::tm morning{};
    morning.tm_year = 2026 - 1900;
    morning.tm_mon = 11;
    morning.tm_mday = 7;
    morning.tm_hour = 6;
    morning.tm_isdst = -1;
    const std::time_t am = std::mktime(&morning);
    engine->useClock([am, evening = false]() mutable {
        evening = !evening;
        return evening ? am + 12 * 3600 : am;
    });
    return engine;
}

void pollInProcess(benchmark::State& state, bench::Logging level, Output output = Output::HELD) {
    const int triggers = static_cast<int>(state.range(0));
    bench::configureLogging(level, logFile());
    log4cpp::Category::getInstance(SwitchHistory::CATEGORY)
        .setPriority(output == Output::HELD_UNTOLD ? log4cpp::Priority::WARN
                                                   : log4cpp::Priority::NOTSET);
    std::unique_ptr<WendleEngine> engine =
        output == Output::SWITCHED ? switchingEngine(triggers) : buildEngine(triggers);
    std::unique_ptr<MemoryService> answering = bench::answeringService(triggers);
    MemoryService* service = answering.get();
    engine->useService(std::move(answering));
    engine->update_ports();

    for (auto _ : state) {
        engine->update_ports();
    }

    if (service->writes() != service->reads()) {
        state.SkipWithError("a poll did not write the output");
    }
    state.counters["triggers"] = triggers;
    state.counters["per_trigger"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * triggers,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    bench::configureLogging(bench::Logging::INFO, logFile());
    log4cpp::Category::getInstance(SwitchHistory::CATEGORY).setPriority(log4cpp::Priority::NOTSET);
    std::remove(logFile().c_str());
}

void BM_PollInfo(benchmark::State& state) {
    pollInProcess(state, bench::Logging::INFO);
}
void BM_PollDebug(benchmark::State& state) {
    pollInProcess(state, bench::Logging::DEBUG);
}
BENCHMARK(BM_PollInfo)->RangeMultiplier(10)->Range(1, 10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PollDebug)->RangeMultiplier(10)->Range(1, 10000)->Unit(benchmark::kMicrosecond);

// A held output with the history off is the poll as it was before there
// was one: the INFO poll above is held against it.
void BM_PollInfoUntold(benchmark::State& state) {
    pollInProcess(state, bench::Logging::INFO, Output::HELD_UNTOLD);
}
// What a switch costs: the history line, formatted and written.
void BM_PollInfoSwitching(benchmark::State& state) {
    pollInProcess(state, bench::Logging::INFO, Output::SWITCHED);
}
BENCHMARK(BM_PollInfoUntold)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PollInfoSwitching)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The simulator's one request line per poll goes nowhere.
class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type ch) override { return traits_type::not_eof(ch); }
    std::streamsize xsputn(const char* /*text*/, std::streamsize count) override { return count; }
};

// objsim on a thread of its own, on a free loopback port.
class LocalSimulator {
public:
    explicit LocalSimulator(int triggers) : stateFile(bench::scratchFile("objsim-state.json")) {
        std::ofstream(stateFile) << bench::simulatorState(triggers).dump();
        ObjectSimulator::Options options;
        options.port = 0;
        options.stateFile = stateFile;
        simulator = std::make_unique<ObjectSimulator>(options, discard, discard);
        opened = simulator->open(why);
        if (opened) {
            thread = std::thread([this] { simulator->run(); });
        }
    }
    ~LocalSimulator() {
        if (thread.joinable()) {
            simulator->requestStop();
            thread.join();
        }
        std::remove(stateFile.c_str());
    }
    LocalSimulator(const LocalSimulator&) = delete;
    LocalSimulator& operator=(const LocalSimulator&) = delete;

    bool opened = false;
    std::string why;
    int port() const { return simulator->getPort(); }

private:
    std::string stateFile;
    NullBuffer nothing;
    std::ostream discard{&nothing};
    std::unique_ptr<ObjectSimulator> simulator;
    std::thread thread;
};

void BM_PollLoopback(benchmark::State& state) {
    const int triggers = static_cast<int>(state.range(0));
    bench::configureLogging(bench::Logging::INFO, logFile());
    LocalSimulator simulator(triggers);
    if (!simulator.opened) {
        state.SkipWithError(simulator.why.c_str());
        return;
    }
    std::unique_ptr<WendleEngine> engine = buildEngine(triggers);
    auto owned = std::make_unique<ClientService>();
    ClientService* service = owned.get();
    service->start("127.0.0.1", simulator.port());
    engine->useService(std::move(owned));
    engine->update_ports();

    for (auto _ : state) {
        engine->update_ports();
    }

    // A failed exchange logs "Bad response" and costs nothing: make it loud.
    const std::string failure = service->lastFailure();
    if (!failure.empty()) {
        state.SkipWithError(failure.c_str());
    }
    state.counters["triggers"] = triggers;
    std::remove(logFile().c_str());
}
BENCHMARK(BM_PollLoopback)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Construct(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    bench::configureLogging(bench::Logging::INFO, logFile());
    const nlohmann::json section = bench::section(entries);
    const ConstructionTrace dropped(ConstructionTrace::nowhere());
    for (auto _ : state) {
        WendleEngine engine(section);
        benchmark::DoNotOptimize(&engine);
    }
    state.counters["entries"] = entries;
    std::remove(logFile().c_str());
}
BENCHMARK(BM_Construct)->Arg(10)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

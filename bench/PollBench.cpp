/*
 * Cost of the service's work: one poll in-process and over loopback, and
 * building the engine. Each poll benchmark reports per-trigger time too, so
 * that growth with the configuration shows at a glance.
 */
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "ObjectSimulator.h"
#include "WendleEngine.h"
#include "cObjectClient.h"

namespace {

// Debug lines go to a real file, as on a controller; it is emptied before
// each run so that a long run does not fill the disk.
const std::string& logFile() {
    static const std::string path = bench::scratchFile("poll.log");
    return path;
}

std::unique_ptr<WendleEngine> buildEngine(int triggers) {
    bench::SilencedStdout quiet;
    return std::make_unique<WendleEngine>(bench::section(triggers));
}

void pollInProcess(benchmark::State& state, bench::Logging level) {
    const int triggers = static_cast<int>(state.range(0));
    bench::configureLogging(level, logFile());
    std::unique_ptr<WendleEngine> engine = buildEngine(triggers);
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
    auto client = std::make_unique<cObjectClient>();
    cObjectClient* service = client.get();
    service->start("127.0.0.1", simulator.port());
    engine->useClient(std::move(client));
    engine->update_ports();

    for (auto _ : state) {
        engine->update_ports();
    }

    // A failed exchange logs "Bad response" and costs nothing: make it loud.
    if (!service->getLastError().empty()) {
        state.SkipWithError(service->getLastError().c_str());
    }
    state.counters["triggers"] = triggers;
    std::remove(logFile().c_str());
}
BENCHMARK(BM_PollLoopback)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Construct(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    bench::configureLogging(bench::Logging::INFO, logFile());
    const nlohmann::json section = bench::section(entries);
    bench::SilencedStdout quiet;
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

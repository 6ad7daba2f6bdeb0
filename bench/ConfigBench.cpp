/*
 * Cost of loading a large configuration document: an ignored member holding
 * nothing but empty objects, the shape whose load grows fastest when each
 * closing object costs work on its parent. Sizes in KiB; scripts/bench
 * compares their growth.
 */
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "Config.h"

namespace {

// A real IO-data section, then the ignored member filling the document up
// to `kib` KiB.
void writeDocument(const std::string& path, long kib) {
    const std::size_t size = static_cast<std::size_t>(kib) * 1024;
    std::string text = R"({"cfg": )" + bench::section(10).dump() + R"(, "ignored": [{})";
    text.reserve(size + 8);
    while (text.size() + 2 < size) {
        text += ",{}";
    }
    text += "]}";
    std::ofstream(path) << text;
}

void BM_ConfigLoad(benchmark::State& state) {
    const long kib = state.range(0);
    const std::string logFile = bench::scratchFile("config.log");
    const std::string document = bench::scratchFile("config.json");
    bench::configureLogging(bench::Logging::INFO, logFile);
    writeDocument(document, kib);

    for (auto _ : state) {
        std::unique_ptr<Config> store = Config::read(document);
        benchmark::DoNotOptimize(store.get());
    }

    state.counters["KiB"] = static_cast<double>(kib);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kib * 1024);
    std::remove(document.c_str());
    std::remove(logFile.c_str());
}
BENCHMARK(BM_ConfigLoad)->Arg(800)->Arg(1024)->Arg(4096)->Arg(16384)->Unit(benchmark::kMicrosecond);

}  // namespace

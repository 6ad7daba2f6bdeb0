#ifndef TARWENDLE_BENCH_BENCHSUPPORT_H
#define TARWENDLE_BENCH_BENCHSUPPORT_H

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "MemoryService.h"

namespace bench {

// A file of this run's own under /tmp, named `name`.
std::string scratchFile(const char* name);

/*
 * An IO-data section with `triggers` rules, digital and analog taking turns,
 * each on a port of its own, plus the example's two time windows (both
 * inactive, so the decision is left to the triggers). Every trigger holds
 * still: none asks for release.
 */
nlohmann::json section(int triggers);

// An objsim state answering every input of section(triggers) and its output.
nlohmann::json simulatorState(int triggers);

/*
 * An object service in memory that answers every port of section(triggers)
 * in the order the engine asks for them: each digital input with its alarm
 * cleared, each analog input below its level, the output at low. So every
 * trigger takes an answer, and a poll measures the engine, not a miss.
 */
std::unique_ptr<MemoryService> answeringService(int triggers);

// How log4cpp is set up for a run: root at INFO, or at DEBUG; either way
// through one file appender with the controller's layout.
enum class Logging { INFO, DEBUG };
void configureLogging(Logging level, const std::string& file);

}  // namespace bench

#endif

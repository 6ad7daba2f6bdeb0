#ifndef TARWENDLE_ENGINE_RULEWORDS_H
#define TARWENDLE_ENGINE_RULEWORDS_H

#include <string>

#include "WendleEngine.h"

/*
 * Each built rule as one sentence, from what the rule class holds, so the
 * sentence says what the service will do rather than what the file meant.
 * The one vocabulary for rules, ports and states: the checker and the
 * service's own log speak it alike.
 */
class RuleWords {
public:
    // "DI1 on device a1"
    static std::string port(cObjectPort& port);
    static std::string device(unsigned int serial);
    // "drives DO1 on device a1"
    static std::string output(WendleEngine::OutputPort& output);
    // What a trigger or window entry became: "releases while DI1 on
    // device a1 is in alarm", "forces release Mon–Fri 07:30–08:00:59".
    static std::string built(const WendleEngine::BuildRecord& record);
    static std::string window(const WendleEngine::TimeLimit& limit, bool mustrun);
    // What a trigger reads now: "DI1 on device a1 in alarm", "... not
    // reported", "AI1 on device a1 at 61".
    static std::string reading(WendleEngine::DigitalTrigger& trigger);
    static std::string reading(WendleEngine::AnalogTrigger& trigger);
    // An analog trigger that asks for release, with the level it passed:
    // "AI1 on device a1 at 61 (above 60)".
    static std::string asking(WendleEngine::AnalogTrigger& trigger);
    // "Mon–Fri", "Sun, Sat", "every day"; "no day" when none is 0 to 6.
    static std::string days(const std::vector<int>& days);
    // A level as the service compares it: the shortest text that reads back.
    static std::string level(float value);
    // "in alarm", "not in alarm", or `otherwise` for any other status.
    static const char* alarm(cObject::eObjectStatus status, const char* otherwise);
    // "HIGH", "LOW", or "none" for neither.
    static const char* ioState(cObject::eObjectIOState state);
    // "Sun" to "Sat"; "day N" outside the week.
    static std::string dayName(int day);
};

#endif

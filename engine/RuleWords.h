#ifndef TARWENDLE_ENGINE_RULEWORDS_H
#define TARWENDLE_ENGINE_RULEWORDS_H

#include <string>
#include <vector>

#include "cObject.h"
#include "cObjectPort.h"

/*
 * The words the rules are told in, by the checker and by the service's own
 * log alike: ports, devices, levels, states and days. It knows nothing of
 * the engine, so that the rules can speak it and anything can use it.
 */
class RuleWords {
public:
    // Days are numbered as the local time's weekday: 0 is Sunday.
    static constexpr int DAYS_IN_WEEK = 7;
    static constexpr const char* DASH = "\u2013";  // en dash, between days or times

    // "DI1 on device a1", the label escaped.
    static std::string port(cObjectPort& port);
    // A port known by its label, if any, else by its id: "port 5 on device a1".
    static std::string port(const std::string& label, unsigned int portId, unsigned int serial);
    // A trigger's condition: "releases while DI1 on device a1 is in alarm";
    // with none, that it never releases.
    static std::string releasesWhile(cObjectPort& port, const std::string& condition);
    static std::string device(unsigned int serial);
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
    // "07:30"; a bound stored from a negative text prints as the huge number it is.
    static std::string clock(unsigned int hour, unsigned int minute);
};

#endif

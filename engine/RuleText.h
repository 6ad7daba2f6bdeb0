#ifndef TARWENDLE_ENGINE_RULETEXT_H
#define TARWENDLE_ENGINE_RULETEXT_H

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "cObjectPort.h"

/*
 * Conversions of the texts of the rule document. They give the same result
 * on 32-bit ARM and on 64-bit hosts.
 */
class RuleText {
public:
    static constexpr uint32_t DEVICE_ID_MAX = 0xFFFFFFFFU;

    // Hexadecimal device id read as a 32-bit strtoul with base 16 reads it:
    // leading blanks, a sign and a 0x prefix accepted, trailing text ignored,
    // no digits gives 0, a magnitude beyond 32 bits saturates, and a negative
    // value wraps modulo 2^32.
    static uint32_t toDeviceId(const std::string& text);

    // Gives `port` the "label" and hexadecimal "deviceid" of a rule entry,
    // in that order; either one not a string is the JSON type error 302.
    static void namePort(cObjectPort& port, nlohmann::json& entry);

    // A port label: type error 302 if not a string, std::invalid_argument
    // if it holds a NUL character.
    static std::string toLabel(const nlohmann::json& value);

    // Decimal level as std::stof reads it, with its "stof" exceptions.
    static float toLevel(const std::string& text);

    // Hour or minute as std::stoi reads it, with its "stoi" exceptions; a
    // negative number keeps its 32-bit two's complement pattern.
    static uint32_t toClockField(const std::string& text);

    // One bound of a window ("from" or "to"), a string: the empty text is
    // no bound and leaves hour and minute at 0; without a colon the whole
    // text is both the hour and the minute text.
    static void toBound(const nlohmann::json& value, uint32_t& hour, uint32_t& minute,
                        bool& hasBound);

    // Day of the week as the JSON library converts a number to int:
    // truncation toward zero, booleans as 0 and 1, type error 302 for any
    // other kind. A floating-point day outside the range of int gives
    // NO_DAY instead of an undefined conversion.
    static constexpr int NO_DAY = -1;
    static int toDay(const nlohmann::json& value);
};

#endif

#ifndef TARWENDLE_ENGINE_RULETEXT_H
#define TARWENDLE_ENGINE_RULETEXT_H

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cObjectPort.h"

/*
 * Conversions of the texts of the rule document, and the order in which
 * each rule class reads its keys. They give the same result on 32-bit ARM
 * and on 64-bit hosts.
 */
class RuleText {
public:
    static constexpr uint32_t DEVICE_ID_MAX = 0xFFFFFFFFU;

    // What a conversion made of its text: how many characters it used, and
    // whether the value was cut to the largest the type holds or wrapped.
    struct Use {
        std::size_t used = 0;
        bool saturated = false;
        bool wrapped = false;
    };

    // Hexadecimal device id read as a 32-bit strtoul with base 16 reads it:
    // leading blanks, a sign and a 0x prefix accepted, trailing text ignored,
    // no digits gives 0, a magnitude beyond 32 bits saturates, and a negative
    // value wraps modulo 2^32.
    static uint32_t toDeviceId(const std::string& text, Use* use = nullptr);

    // A weekly window as its keys give it: a day list (empty means every
    // day) and optional start and stop bounds.
    struct Window {
        std::vector<int> days;
        uint32_t startHour = 0;
        uint32_t startMinute = 0;
        bool hasStart = false;
        uint32_t stopHour = 0;
        uint32_t stopMinute = 0;
        bool hasStop = false;
    };
    // What reading an entry's keys fills: the port it names, named key by
    // key, and the values of its other keys.
    struct Fields {
        cObjectPort* port = nullptr;
        float level = 0.0F;
        std::string mustrun;
        Window window;
    };
    // The members the engine reads: the section's, then an entry's.
    static constexpr const char* OUTPUT = "output";
    static constexpr const char* TRIGGERS = "triggers";
    static constexpr const char* TIMELIMITS = "timelimits";
    static constexpr const char* TYPE = "type";
    static constexpr const char* OPERATION = "operation";
    static constexpr const char* LABEL = "label";
    static constexpr const char* DEVICE_ID = "deviceid";
    static constexpr const char* VALUE = "value";
    static constexpr const char* MUSTRUN = "mustrun";
    static constexpr const char* DAYS = "days";
    static constexpr const char* FROM = "from";
    static constexpr const char* TO = "to";
    // The "type" words of the two kinds of trigger.
    static constexpr const char* DIGITAL = "digital";
    static constexpr const char* ANALOG = "analog";

    // One key of a rule entry, what a value it cannot read is said to be
    // ("is not a port label"), and the conversion that reads it.
    struct Key {
        const char* name;
        const char* meaning;
        void (*read)(const nlohmann::json& value, Fields& into);
    };
    using Keys = std::vector<Key>;

    // The keys of each kind of entry in the order its rule class reads
    // them, so that an error can be blamed on the key it came from: the
    // output's and a digital trigger's, an analog trigger's, a time limit's,
    // and a time-limit entry's ("mustrun", then the limit's).
    static const Keys& portKeys();
    static const Keys& analogKeys();
    static const Keys& limitKeys();
    static const Keys& windowKeys();

    // Reads `keys` of `entry`, in order, naming `port` if it names one; an
    // absent key is read as null.
    static Fields read(nlohmann::json& entry, const Keys& keys, cObjectPort* port = nullptr);

    // A port label: type error 302 if not a string, std::invalid_argument
    // if it holds a NUL character.
    static std::string toLabel(const nlohmann::json& value);

    // Decimal level as std::stof reads it, with its "stof" exceptions.
    static float toLevel(const std::string& text, Use* use = nullptr);

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

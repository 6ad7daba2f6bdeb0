#ifndef TARWENDLE_CHECK_MOMENTEXPLAINER_H
#define TARWENDLE_CHECK_MOMENTEXPLAINER_H

#include <ctime>
#include <ostream>
#include <string>
#include <vector>

#include "ConfigCheck.h"
#include "cObject.h"

/*
 * The decision the service would take at one local time with given inputs.
 * The engine runs one real poll against a service in memory that answers
 * those inputs and the output at its resting state, with its clock held at
 * that time; its decision, and what it writes, is the answer. Nothing is
 * decided here.
 */
class MomentExplainer {
public:
    enum class Reading { ALARM, CLEAR, MISSING, NUMBER };
    struct Input {
        std::string label;
        unsigned int device = 0;
        Reading reading = Reading::MISSING;
        float value = 0.0F;
    };

    // "LABEL@DEVICE=alarm|clear|missing|NUMBER", the device id read as the
    // configuration's are. False, and why, for anything else.
    static bool parseInput(const std::string& text, Input& input, std::string& why);
    // "YYYY-MM-DD HH:MM" in the local time zone.
    static bool parseMoment(const std::string& text, std::time_t& instant, std::string& why);

    // Writes each trigger's and window's answer and the result. The engine
    // is used up.
    static void explain(ConfigCheck& check, std::time_t at, const std::vector<Input>& inputs,
                        cObject::eObjectIOState resting, std::ostream& out);
};

#endif

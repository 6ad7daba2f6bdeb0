/*
 * A decision as the switching history and the checker tell it: the rules
 * that made it so, in the order the decision asks them (analog triggers,
 * digital triggers, must-run windows), and, where an exclude window
 * inhibits, the ones it overrode.
 */
#include <algorithm>
#include <string>
#include <utility>

#include "WendleEngine.h"

bool WendleEngine::Decision::asked(const cObjectPort* trigger) const {
    return std::find(analog.begin(), analog.end(), trigger) != analog.end() ||
           std::find(digital.begin(), digital.end(), trigger) != digital.end();
}

bool WendleEngine::Decision::active(const TimeLimit* window) const {
    return std::find(mustrun.begin(), mustrun.end(), window) != mustrun.end() ||
           std::find(exclude.begin(), exclude.end(), window) != exclude.end();
}

SwitchHistory::Causes WendleEngine::Decision::causes() const {
    std::vector<std::string> asking;
    for (AnalogTrigger* trigger : analog) {
        asking.push_back(trigger->path + ": " + trigger->asking());
    }
    for (DigitalTrigger* trigger : digital) {
        asking.push_back(trigger->path + ": " + trigger->reading());
    }
    for (const TimeLimit* window : mustrun) {
        asking.push_back(window->path + ": " + window->words(true));
    }
    SwitchHistory::Causes causes;
    if (release) {
        causes.by = std::move(asking);
        return causes;
    }
    for (const TimeLimit* window : exclude) {
        causes.by.push_back(window->path + ": " + window->words(false));
    }
    causes.over = std::move(asking);
    return causes;
}

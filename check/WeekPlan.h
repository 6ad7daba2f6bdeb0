#ifndef TARWENDLE_CHECK_WEEKPLAN_H
#define TARWENDLE_CHECK_WEEKPLAN_H

#include <array>

#include "RuleWords.h"
#include "WendleEngine.h"

/*
 * For every minute of the week, whether the windows force the output
 * released, force it inhibited, or leave it to the triggers: the windows
 * the engine's own decision finds active at that minute.
 */
class WeekPlan {
public:
    using State = WendleEngine::Decision::Windows;
    static constexpr int DAYS = RuleWords::DAYS_IN_WEEK;
    static constexpr int MINUTES_PER_DAY = 24 * 60;

    explicit WeekPlan(WendleEngine& engine);

    // `day` 0 is Sunday, `minute` counts from midnight.
    State at(int day, int minute) const { return minutes[day][minute]; }

private:
    std::array<std::array<State, MINUTES_PER_DAY>, DAYS> minutes{};
};

#endif

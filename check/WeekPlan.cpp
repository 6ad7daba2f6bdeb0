#include "WeekPlan.h"

WeekPlan::WeekPlan(WendleEngine& engine) {
    for (int day = 0; day < DAYS; ++day) {
        for (int minute = 0; minute < MINUTES_PER_DAY; ++minute) {
            std::tm now{};
            now.tm_wday = day;
            now.tm_hour = minute / 60;
            now.tm_min = minute % 60;
            const bool withoutTriggers = engine.decide(false, now);
            const bool withTriggers = engine.decide(true, now);
            minutes[day][minute] = withoutTriggers ? State::RELEASE
                                   : withTriggers  ? State::TRIGGERS
                                                   : State::INHIBIT;
        }
    }
}

#include "WeekPlan.h"

#include "WendleEngine.h"

WeekPlan::WeekPlan(WendleEngine& engine) {
    for (int day = 0; day < DAYS; ++day) {
        for (int minute = 0; minute < MINUTES_PER_DAY; ++minute) {
            std::tm now{};
            now.tm_wday = day;
            now.tm_hour = minute / 60;
            now.tm_min = minute % 60;
            minutes[day][minute] = engine.decide(now).windows();
        }
    }
}

#ifndef TARWENDLE_CHECK_WEEKCHART_H
#define TARWENDLE_CHECK_WEEKCHART_H

#include <ostream>

#include "WeekPlan.h"

/*
 * The week as plain text, to paste into a ticket: a row per day, Sunday
 * first, a column per slot of the day, and a legend.
 */
class WeekChart {
public:
    // `slotMinutes` must divide the day: 30 gives 48 columns, 15 gives 96.
    static void write(const WeekPlan& plan, int slotMinutes, std::ostream& out);
    // The narrowest terminal the finer chart fits.
    static constexpr int FINE_WIDTH = 110;
};

#endif

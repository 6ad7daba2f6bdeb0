#ifndef TARWENDLE_CHECK_WEEKSVG_H
#define TARWENDLE_CHECK_WEEKSVG_H

#include <ostream>
#include <string>

#include "WeekPlan.h"

/*
 * The week as an SVG picture: days by hours, one rectangle for every run
 * of forced minutes, coloured by what is forced, with labels and a legend.
 * Each run's rectangle has class "release" or "inhibit".
 */
class WeekSvg {
public:
    static void write(const WeekPlan& plan, const std::string& title, std::ostream& out);
};

#endif

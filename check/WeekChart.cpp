#include "WeekChart.h"

#include <string>

#include "RuleWords.h"

namespace {

constexpr int HOURS_PER_LABEL = 3;
const std::string kMargin = "      ";  // under the day names

// The mark of one slot: its state if it holds for the whole slot, else
// the forced state it holds for part of it. Indexed by the states the slot
// holds, a bit each: triggers 1, release 2, inhibit 4.
constexpr char kMarks[] = {' ', '.', '#', 'r', 'x', 'i', '+', '+'};

char mark(const WeekPlan& plan, int day, int first, int count) {
    unsigned held = 0;
    for (int minute = first; minute < first + count; ++minute) {
        const WeekPlan::State state = plan.at(day, minute);
        held |= state == WeekPlan::State::TRIGGERS  ? 1U
                : state == WeekPlan::State::RELEASE ? 2U
                                                    : 4U;
    }
    return kMarks[held];
}

}  // namespace

void WeekChart::write(const WeekPlan& plan, int slotMinutes, std::ostream& out) {
    const int slotsPerHour = 60 / slotMinutes;
    const int slots = WeekPlan::MINUTES_PER_DAY / slotMinutes;

    out << "Week, local time, one column per " << slotMinutes << " minutes:\n";
    std::string ruler = kMargin;
    for (int hour = 0; hour < 24; hour += HOURS_PER_LABEL) {
        std::string label = (hour < 10 ? "0" : "") + std::to_string(hour);
        label.resize(static_cast<std::size_t>(HOURS_PER_LABEL * slotsPerHour), ' ');
        ruler += label;
    }
    out << ruler << "24\n";
    for (int day = 0; day < WeekPlan::DAYS; ++day) {
        std::string row = RuleWords::dayName(day);
        row.resize(kMargin.size(), ' ');
        for (int slot = 0; slot < slots; ++slot) {
            row += mark(plan, day, slot * slotMinutes, slotMinutes);
        }
        out << row << "\n";
    }
    out << kMargin << "# forced release   x forced inhibit   . left to the triggers\n"
        << kMargin << "r, i: forced release or inhibit for part of the slot; +: both\n";
}

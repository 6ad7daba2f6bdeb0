#include "WeekSvg.h"

#include "RuleWords.h"

namespace {

constexpr double MINUTE = 0.5;  // pixels: an hour is 30
constexpr int LEFT = 50;
constexpr int TOP = 50;
constexpr int ROW = 26;
constexpr int BAR = 20;
constexpr int WIDTH = LEFT + 24 * 30 + 20;
constexpr int LEGEND = TOP + WeekPlan::DAYS * ROW + 30;
constexpr int HEIGHT = LEGEND + 30;
constexpr const char* kReleaseColour = "#2e7d32";
constexpr const char* kInhibitColour = "#c62828";
constexpr const char* kTriggersColour = "#eeeeee";

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '&'   ? "&amp;"
               : c == '<' ? "&lt;"
               : c == '>' ? "&gt;"
               : c == '"' ? "&quot;"
                          : std::string(1, c);
    }
    return out;
}

void run(std::ostream& out, int day, int first, int last, WeekPlan::State state) {
    const bool release = state == WeekPlan::State::RELEASE;
    out << "  <rect class=\"" << (release ? "release" : "inhibit") << "\" x=\""
        << LEFT + first * MINUTE << "\" y=\"" << TOP + day * ROW << "\" width=\""
        << (last - first) * MINUTE << "\" height=\"" << BAR << "\" fill=\""
        << (release ? kReleaseColour : kInhibitColour) << "\"/>\n";
}

}  // namespace

void WeekSvg::write(const WeekPlan& plan, const std::string& title, std::ostream& out) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << WIDTH << "\" height=\"" << HEIGHT
        << "\" viewBox=\"0 0 " << WIDTH << " " << HEIGHT
        << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
        << "  <title>" << escaped(title) << "</title>\n"
        << "  <text x=\"" << LEFT << "\" y=\"20\" font-size=\"14\">" << escaped(title)
        << ": the week in local time</text>\n";
    for (int hour = 0; hour <= 24; hour += 3) {
        const int x = LEFT + hour * 30;
        out << "  <line x1=\"" << x << "\" y1=\"" << TOP - 4 << "\" x2=\"" << x << "\" y2=\""
            << TOP + WeekPlan::DAYS * ROW << "\" stroke=\"#bbbbbb\"/>\n"
            << "  <text x=\"" << x << "\" y=\"" << TOP - 8 << "\" text-anchor=\"middle\">"
            << (hour < 10 ? "0" : "") << hour << ":00</text>\n";
    }
    for (int day = 0; day < WeekPlan::DAYS; ++day) {
        const int y = TOP + day * ROW;
        out << "  <text x=\"" << LEFT - 8 << "\" y=\"" << y + 15 << "\" text-anchor=\"end\">"
            << RuleWords::dayName(day) << "</text>\n"
            << "  <rect class=\"day\" x=\"" << LEFT << "\" y=\"" << y << "\" width=\"" << 24 * 30
            << "\" height=\"" << BAR << "\" fill=\"" << kTriggersColour << "\"/>\n";
        int first = 0;
        for (int minute = 1; minute <= WeekPlan::MINUTES_PER_DAY; ++minute) {
            const WeekPlan::State state = plan.at(day, first);
            if (minute < WeekPlan::MINUTES_PER_DAY && plan.at(day, minute) == state) {
                continue;
            }
            if (state != WeekPlan::State::TRIGGERS) {
                run(out, day, first, minute, state);
            }
            first = minute;
        }
    }
    out << "  <rect class=\"key\" x=\"" << LEFT << "\" y=\"" << LEGEND << "\" width=\"14\" "
        << "height=\"14\" fill=\"" << kReleaseColour << "\"/>\n"
        << "  <text x=\"" << LEFT + 20 << "\" y=\"" << LEGEND + 12 << "\">forced release</text>\n"
        << "  <rect class=\"key\" x=\"" << LEFT + 160 << "\" y=\"" << LEGEND << "\" width=\"14\" "
        << "height=\"14\" fill=\"" << kInhibitColour << "\"/>\n"
        << "  <text x=\"" << LEFT + 180 << "\" y=\"" << LEGEND + 12 << "\">forced inhibit</text>\n"
        << "  <rect class=\"key\" x=\"" << LEFT + 320 << "\" y=\"" << LEGEND << "\" width=\"14\" "
        << "height=\"14\" fill=\"" << kTriggersColour << "\"/>\n"
        << "  <text x=\"" << LEFT + 340 << "\" y=\"" << LEGEND + 12
        << "\">left to the triggers</text>\n"
        << "</svg>\n";
}

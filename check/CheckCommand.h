#ifndef TARWENDLE_CHECK_CHECKCOMMAND_H
#define TARWENDLE_CHECK_CHECKCOMMAND_H

#include <ostream>
#include <string>
#include <vector>

/*
 * The command line of tarwendle-check: which file, what to show, and the
 * exit status. The report goes to `out`, errors and warnings to `err`.
 */
class CheckCommand {
public:
    // The exit status.
    enum Status : int { STARTS = 0, FAILS = 1, USAGE = 2 };

    // `terminalColumns` is the width of the terminal `out` goes to, 0 if
    // it is none: a wide one gets the finer chart.
    static int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   int terminalColumns = 0);
};

#endif

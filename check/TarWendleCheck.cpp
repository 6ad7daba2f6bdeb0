/*
 * tarwendle-check: checks a configuration before it reaches a controller,
 * with the service's own code, and shows what it will do.
 */
#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "CheckCommand.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    int columns = 0;
    winsize size{};
    if (::isatty(STDOUT_FILENO) != 0 && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0) {
        columns = size.ws_col;
    }
    return CheckCommand::run(arguments, std::cout, std::cerr, columns);
}

// objsim: the object service simulator, as a program.

#include <signal.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "ObjectSimulator.h"

namespace {

const int EXIT_USAGE = 2;
const char* const USAGE =
    "usage: objsim [--listen HOST:PORT] [--state FILE] [--journal FILE]\n"
    "  --listen HOST:PORT  numeric address to serve on (default 127.0.0.1:60000)\n"
    "  --state FILE        JSON state of ports and fault, re-read when it changes\n"
    "  --journal FILE      append one JSON line per request\n";

ObjectSimulator* running = nullptr;

extern "C" void onStopSignal(int /*signal*/) {
    if (running != nullptr) {
        running->requestStop();
    }
}

int usageError(const std::string& message) {
    std::cerr << "objsim: " << message << '\n' << USAGE;
    return EXIT_USAGE;
}

// "HOST:PORT"; an IPv6 host is written in brackets, "[::1]:60000".
bool parseListen(const std::string& text, std::string& host, int& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) {
        return false;
    }
    host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    const std::string digits = text.substr(colon + 1);
    if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    port = std::atoi(digits.c_str());
    return port <= 65535;
}

}  // namespace

int main(int argc, char** argv) {
    ObjectSimulator::Options options;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        std::string value;
        const std::size_t equals = option.find('=');
        if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.erase(equals);
        } else if (option == "--listen" || option == "--state" || option == "--journal") {
            if (i + 1 >= argc) {
                return usageError("option " + option + " needs a value");
            }
            value = argv[++i];
        }
        if (option == "--help" || option == "-h") {
            std::cout << USAGE;
            return EXIT_SUCCESS;
        }
        if (option == "--listen") {
            if (!parseListen(value, options.host, options.port)) {
                return usageError("--listen wants HOST:PORT, not \"" + value + "\"");
            }
        } else if (option == "--state" && !value.empty()) {
            options.stateFile = value;
        } else if (option == "--journal" && !value.empty()) {
            options.journalFile = value;
        } else {
            return usageError("unknown option or empty value: " + std::string(argv[i]));
        }
    }

    ObjectSimulator simulator(options, std::cout, std::cerr);
    std::string why;
    if (!simulator.open(why)) {
        std::cerr << "objsim: " << why << std::endl;
        return EXIT_USAGE;
    }

    running = &simulator;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // A client that vanishes mid-answer must not end the simulator.
    signal(SIGPIPE, SIG_IGN);

    std::cerr << "objsim: listening on " << options.host << ":" << simulator.getPort() << std::endl;
    simulator.run();
    running = nullptr;
    std::cerr << "objsim: stopped" << std::endl;
    return EXIT_SUCCESS;
}

/*
 * tarwendle: drives one relay output from inputs and weekly time windows.
 *
 * Start-up is a fixed sequence on the one thread the process has. Nothing
 * in it is guarded: an error stops start-up where it happens, so the engine
 * never runs on a partial configuration.
 */
#include <exception>
#include <iostream>
#include <string>

#include "Config.h"
#include "Paths.h"
#include "cWlog.h"

int main(int /*argc*/, char** /*argv*/) {
    try {
        std::cout << "Welcome to the Wendle Show..." << std::endl;

        cWlog::init(paths::kLogConfig);

        Config::load(paths::kConfigDocument);

        std::string probe = Config::get("crap", "null");
        std::cout << probe << std::endl;

        nlohmann::json ioData = Config::getIOData();
    } catch (const std::exception& failure) {
        std::cerr << "tarwendle: " << failure.what() << std::endl;
        return 1;
    }
    return 0;
}

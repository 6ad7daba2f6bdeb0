/*
 * tarwendle: drives one relay output from inputs and weekly time windows.
 *
 * Start-up is a fixed sequence on the one thread the process has. An error
 * stops it where it happens, so the engine never runs on a partial
 * configuration; the error's text goes to standard error, after the file
 * and the step it concerns, and the exit status is 1, so that an init system
 * can tell a failed start. Once the engine is built, the service runs, and
 * a failure from there on is no start-up error (see RunningFailure).
 */
#include <signal.h>

#include <exception>
#include <iostream>
#include <string>
#include <utility>

#include "Config.h"
#include "Paths.h"
#include "RunningFailure.h"
#include "WendleEngine.h"
#include "cWlog.h"

int main(int /*argc*/, char** /*argv*/) {
    const std::string document = paths::kConfigDocument;
    std::string step = "starting";  // the step under way, as the error line names it
    // A console log whose reader has gone away must not end the service: a
    // write there fails instead. This is a disposition, not a handler.
    ::signal(SIGPIPE, SIG_IGN);
    WendleEngine* engine = nullptr;
    try {
        std::cout << "Welcome to the Wendle Show..." << std::endl;

        cWlog::init(paths::kLogConfig);

        step = "cannot load " + document;
        Config::load(paths::kConfigDocument);

        step = std::string("cannot read setting \"") + startup::kSetting + "\" of " + document;
        std::string probe = Config::get(startup::kSetting, startup::kSettingDefault);
        std::cout << probe << std::endl;

        step = "cannot build the engine from \"cfg\" of " + document;
        nlohmann::json ioData = Config::getIOData();

        // WendleEngine::start in two halves: only building it is start-up.
        engine = WendleEngine::create(std::move(ioData));
    } catch (const std::exception& failure) {
        std::cerr << "tarwendle: " << step << ": " << failure.what() << std::endl;
        return 1;
    } catch (...) {
        std::cerr << "tarwendle: " << step << ": unknown error" << std::endl;
        return 1;
    }

    RunningFailure::install();
    engine->run();  // the polling cycle, which does not return
    return 0;
}

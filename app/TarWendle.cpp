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
#include <memory>
#include <string_view>
#include <utility>

#include "Paths.h"
#include "RunningFailure.h"
#include "ServiceManager.h"
#include "StartUp.h"
#include "WendleEngine.h"
#include "cPeerText.h"
#include "cWlog.h"

namespace {

// A start-up error's reason at most: a JSON error quotes the file.
constexpr std::size_t STARTUP_ERROR_BYTES = 1024;

}  // namespace

int main(int /*argc*/, char** /*argv*/) {
    StartUp startUp(paths::kConfigDocument);
    // A console log whose reader has gone away must not end the service: a
    // write there fails instead. This is a disposition, not a handler.
    ::signal(SIGPIPE, SIG_IGN);
    WendleEngine* engine = nullptr;
    try {
        std::cout << "Welcome to the Wendle Show..." << std::endl;

        cWlog::init(paths::kLogConfig);

        StartUp::Document document = startUp.run(std::cout);

        // WendleEngine::start in two halves: only building it is start-up.
        engine = WendleEngine::create(std::move(document.ioData));
    } catch (const std::exception& failure) {
        // The reason may quote the file's bytes: escaped, and bounded.
        const std::string_view what = failure.what();
        std::cerr << "tarwendle: " << startUp.stepLine() << ": "
                  << cPeerText::bounded(what, what.size(), STARTUP_ERROR_BYTES) << std::endl;
        return 1;
    } catch (...) {
        std::cerr << "tarwendle: " << startUp.stepLine() << ": unknown error" << std::endl;
        return 1;
    }

    // Only under a service manager that asks to hear (NOTIFY_SOCKET).
    std::unique_ptr<ServiceManager> manager = ServiceManager::fromEnvironment();
    if (manager) {
        manager->ready();
        engine->useWatcher(manager.get());
    }

    RunningFailure::install();
    engine->run();  // the polling cycle, which does not return
    return 0;
}

#include "ServiceManager.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "LocalTime.h"
#include "RuleWords.h"
#include "cPeerText.h"

namespace {

// A decimal number, digits only, that fits; none otherwise.
std::optional<unsigned long long> decimal(const char* text) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::unique_ptr<ServiceManager> ServiceManager::fromEnvironment() {
    std::unique_ptr<NotifySocket> socket = NotifySocket::fromEnvironment();
    if (!socket) {
        return nullptr;
    }
    return std::make_unique<ServiceManager>(
        std::move(socket),
        watchdogPeriod(std::getenv(WATCHDOG_USEC), std::getenv(WATCHDOG_PID), ::getpid()));
}

std::chrono::microseconds ServiceManager::watchdogPeriod(const char* usec, const char* pid,
                                                         pid_t self) {
    // The watchdog may be meant for another process of the unit.
    if (pid != nullptr) {
        const std::optional<unsigned long long> owner = decimal(pid);
        if (!owner || *owner != static_cast<unsigned long long>(self)) {
            return std::chrono::microseconds::zero();
        }
    }
    // The period is kept on the steady clock, in nanoseconds: a period that
    // the clock cannot hold is no period at all.
    const auto longest = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::duration::max());
    const std::optional<unsigned long long> period = decimal(usec);
    if (!period || *period == 0 || *period > static_cast<unsigned long long>(longest.count())) {
        return std::chrono::microseconds::zero();
    }
    return std::chrono::microseconds(*period);
}

ServiceManager::ServiceManager(std::unique_ptr<NotifySocket> socket,
                               std::chrono::microseconds watchdog, Steady steady, Wall wall)
    : socket(std::move(socket)),
      pingEvery(watchdog / 2),
      steady(std::move(steady)),
      wall(std::move(wall)) {}

void ServiceManager::ready() {
    socket->send("READY=1");
}

/*
 * A ping just before each poll gives the poll the whole period: a poll that
 * began with the last ping half a period old would be aborted after half
 * the period. Between polls, a ping whenever half the period has passed.
 */
void ServiceManager::polling() {
    if (pingEvery != std::chrono::steady_clock::duration::zero()) {
        ping(steady());
    }
}

void ServiceManager::alive() {
    if (pingEvery == std::chrono::steady_clock::duration::zero()) {
        return;
    }
    const std::chrono::steady_clock::time_point now = steady();
    if (!lastPing || now - *lastPing >= pingEvery) {
        ping(now);
    }
}

void ServiceManager::ping(std::chrono::steady_clock::time_point now) {
    lastPing = now;
    socket->send("WATCHDOG=1");
}

void ServiceManager::told(const std::string& line) {
    lastTold = line;
    status(line);
}

void ServiceManager::answered(ObjectService::Write outcome, const std::string& port,
                              cObject::eObjectIOState state, bool released) {
    failedPolls = 0;
    // Made only for a write that failed: an ordinary poll formats nothing.
    const auto sent = [&] {
        return std::string(RuleWords::ioState(state)) + (released ? " (released)" : " (inhibited)");
    };
    if (outcome == ObjectService::Write::REFUSED) {
        status(port + ": the object service refused " + sent());
    } else if (outcome == ObjectService::Write::UNACKNOWLEDGED) {
        status(port + ": no acknowledgement of " + sent() + " from the object service");
    } else if (!lastTold.empty()) {
        status(lastTold);
    }
}

void ServiceManager::unanswered() {
    if (failedPolls++ == 0) {
        failingSince = wall();
    }
    status("no answer from the object service since " + LocalTime::clock(failingSince) + " (" +
           std::to_string(failedPolls) + (failedPolls == 1 ? " poll)" : " polls)"));
}

void ServiceManager::status(std::string text) {
    if (text == lastStatus) {
        return;
    }
    // A long list of causes is cut below the manager's datagram size; labels
    // and keys were escaped where the words were made.
    socket->send("STATUS=" + cPeerText::cut(text, STATUS_BYTES));
    lastStatus = std::move(text);
}

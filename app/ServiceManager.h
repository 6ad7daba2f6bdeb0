#ifndef TARWENDLE_APP_SERVICEMANAGER_H
#define TARWENDLE_APP_SERVICEMANAGER_H

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "NotifySocket.h"
#include "WendleEngine.h"

/*
 * What the service manager hears of the running service: that start-up is
 * over, that the poll loop still goes round (the watchdog), and a one-line
 * status of the output and why.
 *
 * The status says what the switching history says, when it says it: its
 * last line. A poll whose write was refused or never acknowledged, and a
 * run of polls without an answer, show as such until an answered poll
 * writes again. A status is sent only when its text changes; a poll like
 * the last formats nothing.
 */
class ServiceManager : public WendleEngine::Watcher {
public:
    static constexpr const char* WATCHDOG_USEC = "WATCHDOG_USEC";
    static constexpr const char* WATCHDOG_PID = "WATCHDOG_PID";
    // A status's bytes at most: the manager drops a message over 4 KiB.
    static constexpr std::size_t STATUS_BYTES = 1024;

    using Steady = std::function<std::chrono::steady_clock::time_point()>;
    using Wall = std::function<std::time_t()>;

    // The manager the environment names, or null without NOTIFY_SOCKET:
    // then nothing more is read and nothing is ever sent.
    static std::unique_ptr<ServiceManager> fromEnvironment();
    // The watchdog's period from the two variables' values (null when
    // unset) for the process `self`; zero when there is none for it.
    static std::chrono::microseconds watchdogPeriod(const char* usec, const char* pid, pid_t self);

    // Pings at least twice per `watchdog` as `steady` tells time, and just
    // before each poll, so that a poll has the whole period; none when
    // `watchdog` is zero. `wall` dates the first of a run of unanswered polls.
    ServiceManager(
        std::unique_ptr<NotifySocket> socket, std::chrono::microseconds watchdog,
        Steady steady = std::chrono::steady_clock::now,
        Wall wall = [] { return std::time(nullptr); });

    // Start-up is over and the engine built.
    void ready();

    void told(const std::string& line) override;
    void answered(ObjectService::Write outcome, const std::string& port,
                  cObject::eObjectIOState state, bool released) override;
    void unanswered() override;
    void polling() override;
    void alive() override;

private:
    void status(std::string text);
    void ping(std::chrono::steady_clock::time_point now);

    std::unique_ptr<NotifySocket> socket;
    std::chrono::steady_clock::duration pingEvery;
    Steady steady;
    Wall wall;
    std::optional<std::chrono::steady_clock::time_point> lastPing;
    // The history's last line, and the status sent last.
    std::string lastTold;
    std::string lastStatus;
    // The run of unanswered polls: when it began and how long it is.
    std::time_t failingSince = 0;
    unsigned long failedPolls = 0;
};

#endif

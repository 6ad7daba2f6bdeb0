#ifndef TARWENDLE_OBJECTS_CKERNELCLOCK_H
#define TARWENDLE_OBJECTS_CKERNELCLOCK_H

#include <poll.h>

#include <chrono>

/*
 * The kernel's monotonic clock, read and waited on by system call instead
 * of through the C library. A preloaded time faker (the end-to-end tests
 * use one to run the 22-second cycle fast) speeds up the library's clocks
 * and shortens its poll timeouts; the object service does not answer any
 * faster for it, so the client's deadlines must not shrink with it. Without
 * such a library both roads give the same time.
 */
class cKernelClock {
public:
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<cKernelClock>;
    static constexpr bool is_steady = true;

    static time_point now() noexcept;

    // poll(2), its timeout in milliseconds counted on this clock.
    static int poll(pollfd* fds, nfds_t count, int timeoutMs) noexcept;
};

#endif

#include "cKernelClock.h"

#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>

namespace {

bool fromKernel(std::int64_t& seconds, std::int64_t& nanoseconds) {
#if defined(SYS_clock_gettime64)
    // A 32-bit target: the call with 64-bit seconds, or on kernels before
    // 5.1 the old one, whose 32-bit seconds hold 68 years of uptime.
    struct {
        std::int64_t sec;
        std::int64_t nsec;
    } wide{};
    if (::syscall(SYS_clock_gettime64, CLOCK_MONOTONIC, &wide) == 0) {
        seconds = wide.sec;
        nanoseconds = wide.nsec;
        return true;
    }
    struct {
        long sec;
        long nsec;
    } narrow{};
    if (::syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &narrow) == 0) {
        seconds = narrow.sec;
        nanoseconds = narrow.nsec;
        return true;
    }
    return false;
#else
    // A 64-bit target: the C library's timespec is the kernel's.
    static_assert(sizeof(time_t) == 8, "a 32-bit target must have clock_gettime64");
    timespec now{};
    if (::syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &now) != 0) {
        return false;
    }
    seconds = now.tv_sec;
    nanoseconds = now.tv_nsec;
    return true;
#endif
}

}  // namespace

cKernelClock::time_point cKernelClock::now() noexcept {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
    if (!fromKernel(seconds, nanoseconds)) {
        // Not seen on Linux; the library's clock is still monotonic.
        return time_point(std::chrono::duration_cast<duration>(
            std::chrono::steady_clock::now().time_since_epoch()));
    }
    return time_point(std::chrono::seconds(seconds) + std::chrono::nanoseconds(nanoseconds));
}

int cKernelClock::poll(pollfd* fds, nfds_t count, int timeoutMs) noexcept {
#if defined(SYS_poll)
    return static_cast<int>(::syscall(SYS_poll, fds, count, timeoutMs));
#else
    // arm64 has only ppoll, whose timespec is the library's on a 64-bit target.
    static_assert(sizeof(time_t) == 8, "ppoll needs the kernel's timespec");
    timespec timeout{timeoutMs / 1000, static_cast<long>(timeoutMs % 1000) * 1000000L};
    return static_cast<int>(
        ::syscall(SYS_ppoll, fds, count, timeoutMs < 0 ? nullptr : &timeout, nullptr, _NSIG / 8));
#endif
}

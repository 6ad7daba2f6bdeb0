#ifndef TARWENDLE_ENGINE_LOCALTIME_H
#define TARWENDLE_ENGINE_LOCALTIME_H

#include <ctime>
#include <string>

// A controller runs for years: a 32-bit time_t would judge every window
// against a wrong date from 19 January 2038 on.
static_assert(sizeof(std::time_t) >= 8, "time_t must be 64 bits wide (-D_TIME_BITS=64)");

/*
 * The one conversion from an instant to the local broken-down time that
 * every window is judged against, so the service, its tests and the
 * checking tool all see the same weekday, hour and minute.
 */
class LocalTime {
public:
    // The local time of `instant`, in the zone TZ or /etc/localtime names
    // now, read again whenever either has changed.
    static std::tm of(std::time_t instant);
    // The local time now.
    static std::tm now();
    // The local time of day of `instant`: "03:12:44".
    static std::string clock(std::time_t instant);
};

#endif

#ifndef TARWENDLE_ENGINE_LOCALTIME_H
#define TARWENDLE_ENGINE_LOCALTIME_H

#include <ctime>

/*
 * The one conversion from an instant to the local broken-down time that
 * every window is judged against, so the service, its tests and the
 * checking tool all see the same weekday, hour and minute.
 */
class LocalTime {
public:
    // The local time of `instant`, in the zone the process runs in.
    static std::tm of(std::time_t instant);
    // The local time now.
    static std::tm now();
};

#endif

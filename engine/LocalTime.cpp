#include "LocalTime.h"

/*
 * localtime_r loads the zone once per process; localtime looks at TZ and
 * /etc/localtime on every call. tzset first makes each reading behave as
 * localtime does, so a zone set or updated while the service runs counts
 * from the next poll on. It costs a stat of the zone file when TZ is unset.
 */
std::tm LocalTime::of(std::time_t instant) {
    tzset();
    std::tm local{};
    localtime_r(&instant, &local);
    return local;
}

std::tm LocalTime::now() {
    return of(std::time(nullptr));
}

std::string LocalTime::clock(std::time_t instant) {
    const std::tm local = of(instant);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

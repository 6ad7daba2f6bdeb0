#include "LocalTime.h"

std::tm LocalTime::of(std::time_t instant) {
    std::tm local{};
    localtime_r(&instant, &local);
    return local;
}

std::tm LocalTime::now() {
    return of(std::time(nullptr));
}

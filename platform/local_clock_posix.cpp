#include "platform/local_clock.h"

#include <time.h>

namespace platform {

LocalTime LocalNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    ::localtime_r(&now.tv_sec, &parts);
    return LocalTime{parts.tm_year + 1900,
                     parts.tm_mon + 1,
                     parts.tm_mday,
                     parts.tm_hour,
                     parts.tm_min,
                     parts.tm_sec,
                     static_cast<int>(now.tv_nsec / 1000000)};
}

std::time_t CalendarSeconds() { return std::time(nullptr); }

}  // namespace platform

namespace platform {

namespace {

long long Ms(clockid_t clock) {
    timespec ts{};
    ::clock_gettime(clock, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

long long UnixMs() { return Ms(CLOCK_REALTIME); }

long long MonotonicMs() { return Ms(CLOCK_MONOTONIC); }

}  // namespace platform

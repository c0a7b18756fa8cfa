#pragma once

#include <ctime>

namespace platform {

// Local wall-clock time to the millisecond.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

LocalTime LocalNow();

// Calendar time in whole seconds, as time() gives it.
std::time_t CalendarSeconds();

// Milliseconds since the Unix epoch, and on a clock that never goes back (for durations).
long long UnixMs();
long long MonotonicMs();

}  // namespace platform

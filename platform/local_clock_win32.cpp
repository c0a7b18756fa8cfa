#include <windows.h>

#include "platform/local_clock.h"

namespace platform {

LocalTime LocalNow() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::time_t CalendarSeconds() { return std::time(nullptr); }

long long UnixMs() {
    FILETIME ft{};
    ::GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t{};
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    // 100-nanosecond ticks since 1601.
    return static_cast<long long>(t.QuadPart / 10000) - 11644473600000LL;
}

long long MonotonicMs() { return static_cast<long long>(::GetTickCount64()); }

}  // namespace platform

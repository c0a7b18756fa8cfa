#include "common/unique_number.h"

#include <cstdio>
#include <cstdlib>

namespace {

UniqueNumberClock g_clock{};

std::time_t Seconds() { return g_clock.seconds ? g_clock.seconds() : platform::CalendarSeconds(); }

platform::LocalTime Local() { return g_clock.local ? g_clock.local() : platform::LocalNow(); }

}  // namespace

void SetUniqueNumberClockForTesting(UniqueNumberClock clock) { g_clock = clock; }

std::string MakeRandomHex() {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::srand(static_cast<unsigned>(Seconds()));
    unsigned b0 = static_cast<unsigned>(std::rand()) & 0xFFu;
    unsigned b1 = static_cast<unsigned>(std::rand()) & 0xFFu;
    return {kHex[b0 >> 4], kHex[b0 & 0xFu], kHex[b1 >> 4]};
}

std::string MakeUniqueNumber() {
    std::string random = MakeRandomHex();
    platform::LocalTime t = Local();
    char digits[32];
    std::snprintf(digits, sizeof digits, "%04i%02i%02i%02i%02i%02i%03i", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return digits + random;
}

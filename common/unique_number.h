#pragma once

#include <ctime>
#include <string>

#include "platform/local_clock.h"

// Three upper-case hexadecimal characters from the C runtime's generator, reseeded with the
// current second on every call.
std::string MakeRandomHex();

// The local time to the millisecond as 17 digits followed by MakeRandomHex(): 20 characters.
std::string MakeUniqueNumber();

// The clock behind both; tests replace it and restore it with nullptrs.
struct UniqueNumberClock {
    std::time_t (*seconds)() = nullptr;
    platform::LocalTime (*local)() = nullptr;
};
void SetUniqueNumberClockForTesting(UniqueNumberClock clock);

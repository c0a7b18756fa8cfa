#pragma once

#include <string>
#include <string_view>

namespace platform {

// File names are UTF-8 inside the project on every OS; the Win32 wide functions take UTF-16.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// The system's words for an error code, in UTF-8.
std::string SystemMessage(unsigned long code);

}  // namespace platform

#pragma once

#include <string>
#include <type_traits>

#include "platform/private_profile.h"

namespace testing_support {

// Joins texts and numbers; "literal" + std::to_string() trips a false GCC 12 warning at -O3.
template <typename... Parts>
std::string Cat(const Parts&... parts) {
    std::string text;
    auto add = [&](const auto& part) {
        if constexpr (std::is_arithmetic_v<std::decay_t<decltype(part)>>)
            text += std::to_string(part);
        else
            text += part;
    };
    (add(parts), ...);
    return text;
}

inline std::string Read(const std::string& file, const char* section, const char* key) {
    char buffer[256];
    platform::GetPrivateProfileText(section, key, "", buffer, sizeof buffer, file.c_str());
    return buffer;
}

}  // namespace testing_support

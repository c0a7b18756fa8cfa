#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// HMAC-SHA256 of `message` keyed with `key`: 32 raw bytes, empty on failure. libcrypto on
// Linux, BCrypt on Windows.
std::string HmacSha256(std::string_view key, std::string_view message);

// Fills `buffer` from the system's cryptographic generator; false on failure.
bool RandomBytes(void* buffer, std::size_t size);

}  // namespace platform

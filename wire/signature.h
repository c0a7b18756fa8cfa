#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wire {

// The request signature: lower-case hex of HMAC-SHA256 keyed with the app secret over
// appid LF timestamp LF nonce LF body.
std::string Sign(std::string_view secret, std::string_view appId, std::string_view timestamp,
                 std::string_view nonce, std::string_view body);

// 128 random bits as 32 lower-case hex digits.
std::string MakeNonce();

std::string ToHex(const unsigned char* bytes, std::size_t size);

}  // namespace wire

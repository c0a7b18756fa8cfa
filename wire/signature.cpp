#include "wire/signature.h"

#include <stdexcept>

#include "platform/net/crypto.h"

namespace wire {

std::string ToHex(const unsigned char* bytes, std::size_t size) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex(size * 2, '0');
    for (std::size_t i = 0; i < size; ++i) {
        hex[2 * i] = kHex[bytes[i] >> 4];
        hex[2 * i + 1] = kHex[bytes[i] & 0xF];
    }
    return hex;
}

std::string Sign(std::string_view secret, std::string_view appId, std::string_view timestamp,
                 std::string_view nonce, std::string_view body) {
    std::string message;
    message.reserve(appId.size() + timestamp.size() + nonce.size() + body.size() + 3);
    message.append(appId).append("\n").append(timestamp).append("\n").append(nonce).append("\n");
    message.append(body);
    std::string digest = platform::HmacSha256(secret, message);
    if (digest.empty()) throw std::runtime_error("HMAC-SHA256 failed");
    return ToHex(reinterpret_cast<const unsigned char*>(digest.data()), digest.size());
}

std::string MakeNonce() {
    unsigned char bytes[16];
    if (!platform::RandomBytes(bytes, sizeof bytes)) throw std::runtime_error("no random bytes");
    return ToHex(bytes, sizeof bytes);
}

}  // namespace wire

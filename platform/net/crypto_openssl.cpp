#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include "platform/net/crypto.h"

namespace platform {

std::string HmacSha256(std::string_view key, std::string_view message) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
             reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest,
             &length) == nullptr)
        return {};
    return std::string(reinterpret_cast<const char*>(digest), length);
}

bool RandomBytes(void* buffer, std::size_t size) {
    return RAND_bytes(static_cast<unsigned char*>(buffer), static_cast<int>(size)) == 1;
}

}  // namespace platform

// windows.h first: the other Windows headers need it.
#include <windows.h>

#include <bcrypt.h>

#include "platform/net/crypto.h"

namespace platform {

std::string HmacSha256(std::string_view key, std::string_view message) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                      BCRYPT_ALG_HANDLE_HMAC_FLAG) != 0)
        return {};
    std::string digest;
    BCRYPT_HASH_HANDLE hash = nullptr;
    auto* k = reinterpret_cast<PUCHAR>(const_cast<char*>(key.data()));
    auto* m = reinterpret_cast<PUCHAR>(const_cast<char*>(message.data()));
    unsigned char out[32];
    if (::BCryptCreateHash(algorithm, &hash, nullptr, 0, k, static_cast<ULONG>(key.size()), 0) ==
            0 &&
        ::BCryptHashData(hash, m, static_cast<ULONG>(message.size()), 0) == 0 &&
        ::BCryptFinishHash(hash, out, sizeof out, 0) == 0)
        digest.assign(reinterpret_cast<const char*>(out), sizeof out);
    if (hash != nullptr) ::BCryptDestroyHash(hash);
    ::BCryptCloseAlgorithmProvider(algorithm, 0);
    return digest;
}

bool RandomBytes(void* buffer, std::size_t size) {
    return ::BCryptGenRandom(nullptr, static_cast<PUCHAR>(buffer), static_cast<ULONG>(size),
                             BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}

}  // namespace platform

// A stand-in payment library for tests: it keeps every request it gets and answers what the
// test tells it, through files in the current directory, so that the test sees the same
// whether the library runs in its process or in a host process:
//   recorder.requests  every request, each as a 4-byte little-endian length and its bytes
//   recorder.answer    the answer to business requests: '1' (NUL-terminated) or '0' (not),
//                      then its bytes; {"code":"0"} when the file is missing
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "common/pay_contract.h"

namespace {

std::mutex g_mutex;

void Record(const char* request) {
    std::size_t n = std::strlen(request);
    unsigned char length[4] = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                               static_cast<unsigned char>(n >> 16),
                               static_cast<unsigned char>(n >> 24)};
    if (FILE* f = std::fopen("recorder.requests", "ab")) {
        std::fwrite(length, 1, 4, f);
        std::fwrite(request, 1, n, f);
        std::fclose(f);
    }
}

std::string Answer(bool& terminate) {
    terminate = true;
    FILE* f = std::fopen("recorder.answer", "rb");
    if (f == nullptr) return "{\"code\":\"0\"}";
    std::string bytes;
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
    std::fclose(f);
    if (bytes.empty()) return {};
    terminate = bytes[0] == '1';
    return bytes.substr(1);
}

}  // namespace

extern "C" CORVANE_EXPORT int CORVANE_CALL payTrans(const char* request, char* response) {
    std::lock_guard lock(g_mutex);
    Record(request);
    // The settings push gets a 10,000-byte buffer: answer it briefly.
    if (std::strstr(request, "\"hop.trade.setinfo\"") != nullptr) {
        std::strcpy(response, "{\"code\":\"0\",\"msg\":\"settings kept\"}");
        return 0;
    }
    bool terminate = true;
    std::string answer = Answer(terminate);
    std::size_t size = std::min(answer.size(), kResponseBufferSize - (terminate ? 1 : 0));
    std::memcpy(response, answer.data(), size);
    if (terminate) response[size] = '\0';
    return 0;
}

// A stand-in payment library for tests: it keeps every request it gets and answers what the
// test tells it. The test reaches the control functions through the same loaded module.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/callconv.h"

namespace {

std::mutex g_mutex;
std::vector<std::string> g_requests;
std::string g_answer = "{\"code\":\"0\"}";
bool g_terminate = true;

}  // namespace

extern "C" {

CORVANE_EXPORT int CORVANE_CALL payTrans(const char* request, char* response) {
    std::lock_guard lock(g_mutex);
    g_requests.emplace_back(request);
    // For a caller in another process: every request, each followed by a 0x1E byte.
    if (const char* file = std::getenv("RECORDER_FILE")) {
        if (FILE* f = std::fopen(file, "ab")) {
            std::fputs(request, f);
            std::fputc(0x1E, f);
            std::fclose(f);
        }
    }
    // The settings push gets a 10,000-byte buffer: answer it briefly.
    if (std::strstr(request, "\"hop.trade.setinfo\"") != nullptr) {
        std::strcpy(response, "{\"code\":\"0\",\"msg\":\"settings kept\"}");
        return 0;
    }
    std::memcpy(response, g_answer.data(), g_answer.size());
    if (g_terminate) response[g_answer.size()] = '\0';
    return 0;
}

CORVANE_EXPORT void recorder_reset() {
    std::lock_guard lock(g_mutex);
    g_requests.clear();
    g_answer = "{\"code\":\"0\"}";
    g_terminate = true;
}

// The answer to every business request: `size` bytes, NULs allowed, followed by a NUL unless
// `terminate` is false.
CORVANE_EXPORT void recorder_set_answer(const char* bytes, std::size_t size, bool terminate) {
    std::lock_guard lock(g_mutex);
    g_answer.assign(bytes, size);
    g_terminate = terminate;
}

CORVANE_EXPORT std::size_t recorder_count() {
    std::lock_guard lock(g_mutex);
    return g_requests.size();
}

// The i-th request received; valid until the next call into the recorder.
CORVANE_EXPORT const char* recorder_request(std::size_t i) {
    std::lock_guard lock(g_mutex);
    return i < g_requests.size() ? g_requests[i].c_str() : nullptr;
}
}

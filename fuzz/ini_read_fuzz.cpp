// The ini reader on any file and any query: never reads or writes out of bounds, always
// terminates its buffer inside it.
#include <unistd.h>
#include <cstddef>
#include <cstdint>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/private_profile.h"

namespace {

std::string TempFile() {
    static const std::string path = "/tmp/corvane-fuzz-" + std::to_string(::getpid()) + ".ini";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    // First byte: buffer size; then section and key up to a NUL each; the rest is the file.
    std::size_t bufferSize = data[0];
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::size_t a = rest.find('\0');
    std::size_t b = a == std::string::npos ? std::string::npos : rest.find('\0', a + 1);
    if (b == std::string::npos) return 0;
    std::string section = rest.substr(0, a), key = rest.substr(a + 1, b - a - 1);
    std::string content = rest.substr(b + 1);
    if (FILE* f = std::fopen(TempFile().c_str(), "wb")) {
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }
    std::vector<char> buffer(bufferSize + 1, '\x5A');
    for (const char* s : {section.c_str(), static_cast<const char*>(nullptr)}) {
        for (const char* k : {key.c_str(), static_cast<const char*>(nullptr)}) {
            std::size_t n = platform::GetPrivateProfileText(s, k, "dflt", buffer.data(), bufferSize,
                                                            TempFile().c_str());
            if (bufferSize > 0 && n >= bufferSize) __builtin_trap();
            if (buffer[bufferSize] != '\x5A') __builtin_trap();  // written past the buffer
        }
    }
    return 0;
}

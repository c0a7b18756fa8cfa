#include "platform/executable_path.h"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

namespace platform {

std::string ExecutableFolder() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            std::string path(buffer.data(), static_cast<std::size_t>(n));
            // '/' is never the second byte of a GBK or UTF-8 character.
            std::size_t slash = path.rfind('/');
            return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ModuleFolder(const void* address) {
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
    std::string path = info.dli_fname;
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string ParentFolder(const std::string& folder) {
    std::size_t slash = folder.rfind('/');
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

}  // namespace platform

#include "platform/dynamic_library.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstring>
namespace platform {

namespace {

constexpr int kErrorModuleNotFound = 126;
constexpr int kErrorProcNotFound = 127;
constexpr int kErrorBadExeFormat = 193;

int ClassifyFailure(const std::string& path, const std::string& reason) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return kErrorModuleNotFound;
    // The file is there: a dependency of it is missing, one of its imports is unresolved, or
    // the file is no library for this machine.
    if (reason.find("cannot open shared object file") != std::string::npos)
        return kErrorModuleNotFound;
    if (reason.find("undefined symbol") != std::string::npos) return kErrorProcNotFound;
    return kErrorBadExeFormat;
}

}  // namespace

LibraryHandle OpenLibrary(const std::string& path, LibraryError& error) {
    ::dlerror();
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* text = ::dlerror();
        error.reason = text != nullptr ? text : "unknown loader error";
        error.code = ClassifyFailure(path, error.reason);
    }
    return handle;
}

void* FindSymbol(LibraryHandle library, const char* name) {
    return library != nullptr ? ::dlsym(library, name) : nullptr;
}

void CloseLibrary(LibraryHandle library) {
    if (library != nullptr) ::dlclose(library);
}

const char* PayLibraryRelativePath() { return "dll/libcorvane.so"; }

}  // namespace platform

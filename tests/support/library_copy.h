#pragma once

#include <dlfcn.h>

#include <filesystem>

#include "platform/callconv.h"

namespace testing_support {

// A private copy of a payment library as <folder>/dll/libcorvane.so, loaded on its own, so that
// its state and its log (<folder>/dlllog(Quenla)) belong to one test.
class LibraryCopy {
public:
    using Entry = int(CORVANE_CALL*)(const char* request, char* response);

    LibraryCopy(const std::filesystem::path& folder, const char* library) {
        std::filesystem::create_directories(folder / "dll");
        std::filesystem::copy_file(library, folder / "dll/libcorvane.so");
        handle_ = ::dlopen((folder / "dll/libcorvane.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) entry_ = reinterpret_cast<Entry>(::dlsym(handle_, "payTrans"));
    }
    ~LibraryCopy() {
        if (handle_ != nullptr) ::dlclose(handle_);
    }
    LibraryCopy(const LibraryCopy&) = delete;
    LibraryCopy& operator=(const LibraryCopy&) = delete;

    Entry entry() const { return entry_; }

private:
    void* handle_ = nullptr;
    Entry entry_ = nullptr;
};

}  // namespace testing_support

#pragma once

#include <string>

namespace platform {

// Why a library could not be loaded: the Windows system error code users know from the
// message (126 module or dependency missing, 193 not a loadable library, 127 unresolved
// import) and the OS's own words.
struct LibraryError {
    int code = 0;
    std::string reason;
};

using LibraryHandle = void*;

// Loads a shared library by full path; its own dependencies are searched in its folder first
// when it was linked so (RUNPATH $ORIGIN on Linux). Null on failure, with `error` filled.
LibraryHandle OpenLibrary(const std::string& path, LibraryError& error);

// The export `name`, or null.
void* FindSymbol(LibraryHandle library, const char* name);

void CloseLibrary(LibraryHandle library);

// Maps a library on a helper thread so that a later OpenLibrary of the same path finds it
// loaded; holds one reference until Release() (or destruction). Failures are left to that
// later OpenLibrary to report.
class LibraryPreload {
public:
    explicit LibraryPreload(std::string path);
    ~LibraryPreload();
    LibraryPreload(const LibraryPreload&) = delete;
    LibraryPreload& operator=(const LibraryPreload&) = delete;

    // Waits for the helper and drops its reference.
    void Release();

private:
    struct State;
    State* state_;
};

// Where the payment library lies, relative to the executable's folder.
const char* PayLibraryRelativePath();

}  // namespace platform

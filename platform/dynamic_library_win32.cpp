#include <windows.h>

#include "platform/dynamic_library.h"
#include "platform/wide_path_win32.h"

namespace platform {

namespace {

// Its own dependencies are looked for in the library's folder first. A missing one is an
// error code, never a system dialog.
HMODULE Load(const std::string& path) {
    std::wstring wide = Widen(path);
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    DWORD old = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old);
    HMODULE module = ::LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    DWORD code = ::GetLastError();
    ::SetThreadErrorMode(old, nullptr);
    ::SetLastError(code);
    return module;
}

}  // namespace

LibraryHandle OpenLibrary(const std::string& path, LibraryError& error) {
    HMODULE module = Load(path);
    if (module == nullptr) {
        DWORD code = ::GetLastError();
        error.code = static_cast<int>(code);
        error.reason = SystemMessage(code);
    }
    return module;
}

void* FindSymbol(LibraryHandle library, const char* name) {
    if (library == nullptr) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(LibraryHandle library) {
    if (library != nullptr) ::FreeLibrary(static_cast<HMODULE>(library));
}

const char* PayLibraryRelativePath() { return "dll\\corvane.dll"; }

}  // namespace platform

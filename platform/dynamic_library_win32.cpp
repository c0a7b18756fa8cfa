#include <windows.h>

#include <thread>

#include "platform/dynamic_library.h"
#include "platform/wide_path_win32.h"

namespace platform {

namespace {

// Its own dependencies are looked for in the library's folder first.
HMODULE Load(const std::string& path) {
    std::wstring wide = Widen(path);
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return ::LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
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

struct LibraryPreload::State {
    std::thread thread;
    HMODULE handle = nullptr;
};

LibraryPreload::LibraryPreload(std::string path) : state_(new State) {
    state_->thread = std::thread([state = state_, path = std::move(path)] {
        UINT old = ::SetErrorMode(SEM_FAILCRITICALERRORS);
        state->handle = Load(path);
        ::SetErrorMode(old);
    });
}

LibraryPreload::~LibraryPreload() {
    Release();
    delete state_;
}

void LibraryPreload::Release() {
    if (state_->thread.joinable()) state_->thread.join();
    CloseLibrary(state_->handle);
    state_->handle = nullptr;
}

const char* PayLibraryRelativePath() { return "dll\\corvane.dll"; }

}  // namespace platform

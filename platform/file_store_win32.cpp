#include <windows.h>

#include "platform/file_store.h"
#include "platform/wide_path_win32.h"

namespace platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool Fail(std::string* error, const std::string& what, const std::string& path) {
    if (error != nullptr) *error = what + " " + path + ": " + SystemMessage(::GetLastError());
    return false;
}

bool ReadAll(HANDLE file, std::string& out) {
    out.clear();
    char chunk[16384];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file, chunk, sizeof chunk, &n, nullptr)) return false;
        if (n == 0) return true;
        out.append(chunk, n);
    }
}

// A lock that every process editing `path` shares: a named mutex keyed by the file's full
// name (a mutex a killed holder left behind is taken over). The file itself stays unopened, so
// that the rename can replace it.
class PathLock {
public:
    explicit PathLock(const std::wstring& path) {
        wchar_t full[MAX_PATH * 4];
        DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
        std::wstring name(full, n > 0 && n < MAX_PATH * 4 ? n : 0);
        ::CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
        for (wchar_t& c : name)
            if (c == L'\\') c = L'/';
        mutex_ = ::CreateMutexW(nullptr, FALSE, (L"Local\\corvane-ini:" + name).c_str());
        if (mutex_ != nullptr) {
            DWORD waited = ::WaitForSingleObject(mutex_, INFINITE);
            held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        }
    }
    ~PathLock() {
        if (held_) ::ReleaseMutex(mutex_);
        if (mutex_ != nullptr) ::CloseHandle(mutex_);
    }
    PathLock(const PathLock&) = delete;
    PathLock& operator=(const PathLock&) = delete;
    bool Held() const { return held_; }

private:
    HANDLE mutex_ = nullptr;
    bool held_ = false;
};

bool ReplaceFile(const std::wstring& path, const std::string& name, const std::string& content,
                 std::string* error) {
    std::size_t slash = path.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash);
    wchar_t temp[MAX_PATH + 16];
    if (::GetTempFileNameW(folder.c_str(), L"ini", 0, temp) == 0)
        return Fail(error, "cannot create a temporary file beside", name);
    HANDLE file = ::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE;
    std::string_view rest = content;
    while (ok && !rest.empty()) {
        DWORD written = 0;
        ok = ::WriteFile(file, rest.data(), static_cast<DWORD>(rest.size()), &written, nullptr) &&
             written > 0;
        rest.remove_prefix(written);
    }
    if (file != INVALID_HANDLE_VALUE && !::CloseHandle(file)) ok = false;
    if (ok && ::MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    Fail(error, "cannot write", name);
    ::DeleteFileW(temp);
    return false;
}

}  // namespace

std::string NativeFileName(std::string_view fileName) { return std::string(fileName); }

bool ReadWholeFile(const std::string& path, std::string& out) {
    HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = ReadAll(file, out);
    ::CloseHandle(file);
    return ok;
}

bool EditFileLocked(const std::string& path,
                    const std::function<std::string(const std::string& content)>& edit,
                    std::string* error) {
    std::wstring wide = Widen(path);
    PathLock lock(wide);
    if (!lock.Held()) return Fail(error, "cannot lock", path);
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(error, "cannot open", path);
    bool created = ::GetLastError() != ERROR_ALREADY_EXISTS;
    std::string content;
    bool ok = ReadAll(file, content);
    ::CloseHandle(file);
    if (ok) {
        std::string edited = edit(content);
        ok = edited == content || ReplaceFile(wide, path, edited, error);
    } else {
        Fail(error, "cannot read", path);
    }
    // A failed first write leaves no empty file behind.
    if (!ok && created) ::DeleteFileW(wide.c_str());
    return ok;
}

}  // namespace platform

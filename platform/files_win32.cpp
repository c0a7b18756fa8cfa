#include <windows.h>

#include "platform/files.h"
#include "platform/wide_path_win32.h"

namespace platform {

bool MakeFolder(const std::string& path) {
    return ::CreateDirectoryW(Widen(path).c_str(), nullptr) ||
           ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool AppendToFile(const std::string& path, std::string_view bytes) {
    HANDLE file = ::CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    while (!bytes.empty() && ok) {
        DWORD written = 0;
        ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written > 0;
        bytes.remove_prefix(written);
    }
    ::CloseHandle(file);
    return ok && bytes.empty();
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

bool RenameFile(const std::string& from, const std::string& to) {
    return ::MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace platform

#include <windows.h>

#include "platform/process.h"
#include "platform/wide_path_win32.h"

namespace platform {

namespace {

// One argument quoted as CommandLineToArgvW reads it back.
std::wstring Quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

// Our environment with `additions` (NAME=VALUE) put over it, as CreateProcessW takes it.
std::wstring EnvironmentBlock(const std::vector<std::string>& additions) {
    std::wstring block;
    wchar_t* strings = ::GetEnvironmentStringsW();
    for (const wchar_t* e = strings; *e != L'\0'; e += wcslen(e) + 1) {
        std::wstring_view entry(e);
        bool replaced = false;
        for (const std::string& mine : additions) {
            std::wstring wide = Widen(mine);
            if (entry.substr(0, entry.find(L'=') + 1) == wide.substr(0, wide.find(L'=') + 1))
                replaced = true;
        }
        if (!replaced) block.append(entry).push_back(L'\0');
    }
    ::FreeEnvironmentStringsW(strings);
    for (const std::string& mine : additions) block.append(Widen(mine)).push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

HANDLE H(std::intptr_t v) { return reinterpret_cast<HANDLE>(v); }
std::intptr_t V(HANDLE h) { return reinterpret_cast<std::intptr_t>(h); }

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                                  const std::vector<std::string>& environment,
                                                  const std::string& errorLog, std::string& error) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, toChild = nullptr, fromChild = nullptr, childOut = nullptr;
    if (!::CreatePipe(&childIn, &toChild, &inherit, 0) ||
        !::CreatePipe(&fromChild, &childOut, &inherit, 1 << 20)) {
        error = SystemMessage(::GetLastError());
        return nullptr;
    }
    ::SetHandleInformation(toChild, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(fromChild, HANDLE_FLAG_INHERIT, 0);
    HANDLE log =
        ::CreateFileW(Widen(errorLog).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      &inherit, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);

    std::wstring commandLine;
    for (const std::string& a : argv) {
        if (!commandLine.empty()) commandLine += L' ';
        commandLine += Quote(Widen(a));
    }
    std::wstring block = EnvironmentBlock(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = log != INVALID_HANDLE_VALUE ? log : nullptr;
    PROCESS_INFORMATION info{};
    BOOL started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                    CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(),
                                    nullptr, &startup, &info);
    DWORD code = ::GetLastError();
    ::CloseHandle(childIn);
    ::CloseHandle(childOut);
    if (log != INVALID_HANDLE_VALUE) ::CloseHandle(log);
    if (!started) {
        error = argv[0] + ": " + SystemMessage(code);
        ::CloseHandle(toChild);
        ::CloseHandle(fromChild);
        return nullptr;
    }
    ::CloseHandle(info.hThread);
    std::unique_ptr<ChildProcess> child(new ChildProcess);
    child->process_ = V(info.hProcess);
    child->in_ = V(toChild);
    child->out_ = V(fromChild);
    return child;
}

ChildProcess::~ChildProcess() {
    // Without its input the child ends by itself; one that does not is ended.
    if (in_ != -1) ::CloseHandle(H(in_));
    in_ = -1;
    if (!reaped_ && process_ != -1 && ::WaitForSingleObject(H(process_), 1000) != WAIT_OBJECT_0)
        Kill();
    Wait();
    if (out_ != -1) ::CloseHandle(H(out_));
    if (process_ != -1) ::CloseHandle(H(process_));
}

bool ChildProcess::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!::WriteFile(H(in_), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                         nullptr) ||
            written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

long ChildProcess::Read(void* buffer, std::size_t size, int timeoutMs) {
    ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(H(out_), nullptr, 0, nullptr, &available, nullptr)) return -1;
        if (available > 0) {
            DWORD n = 0;
            DWORD want = static_cast<DWORD>(size < available ? size : available);
            if (!::ReadFile(H(out_), buffer, want, &n, nullptr) || n == 0) return -1;
            return static_cast<long>(n);
        }
        if (::GetTickCount64() >= deadline) return 0;
        ::Sleep(1);
    }
}

void ChildProcess::Kill() {
    if (!reaped_ && process_ != -1) ::TerminateProcess(H(process_), 1);
}

ProcessExit ChildProcess::Wait() {
    if (reaped_ || process_ == -1) return exit_;
    ::WaitForSingleObject(H(process_), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(H(process_), &code);
    reaped_ = true;
    exit_ = {false, static_cast<int>(code)};
    return exit_;
}

// A Windows process ends with an exception code, never a signal.
std::string SignalName(int) { return {}; }

std::vector<std::string> HostCommand(const std::string& folder, const std::string& library,
                                     bool windowsLibrary, bool, std::vector<std::string>&) {
    if (!windowsLibrary) return {};
    return {folder + "corvane-host.exe", library};
}

std::string WinePrefix() { return {}; }

}  // namespace platform

// windows.h first: the other Windows headers need it.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <csignal>
#include <cstdio>

#include "platform/host_side.h"
#include "platform/wide_path_win32.h"

namespace platform {

namespace {

HANDLE H(std::intptr_t v) { return reinterpret_cast<HANDLE>(v); }

void (*g_report)(unsigned, bool) = nullptr;

LONG WINAPI OnException(EXCEPTION_POINTERS* info) {
    if (g_report != nullptr) g_report(info->ExceptionRecord->ExceptionCode, true);
    return EXCEPTION_EXECUTE_HANDLER;  // ends the process with the exception code
}

// abort() ends the process as Windows' C runtime does, reported like a crash.
void OnAbort(int) {
    constexpr unsigned kFatalAppExit = 0x40000015;
    if (g_report != nullptr) g_report(kFatalAppExit, true);
    ::TerminateProcess(::GetCurrentProcess(), 3);
}

}  // namespace

std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; wide != nullptr && i < count; ++i) args.push_back(Narrow(wide[i]));
    if (wide != nullptr) ::LocalFree(wide);
    return args;
}

ProtocolChannel ProtocolChannel::TakeStandardStreams() {
    ProtocolChannel channel;
    HANDLE self = ::GetCurrentProcess();
    HANDLE in = nullptr, out = nullptr;
    ::DuplicateHandle(self, ::GetStdHandle(STD_INPUT_HANDLE), self, &in, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    ::DuplicateHandle(self, ::GetStdHandle(STD_OUTPUT_HANDLE), self, &out, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    channel.in_ = reinterpret_cast<std::intptr_t>(in);
    channel.out_ = reinterpret_cast<std::intptr_t>(out);
    // Standard input reads nothing; standard output goes where standard error goes, for the
    // Win32 handles and the C runtime alike.
    HANDLE empty = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ::SetStdHandle(STD_INPUT_HANDLE, empty);
    ::SetStdHandle(STD_OUTPUT_HANDLE, ::GetStdHandle(STD_ERROR_HANDLE));
    std::fflush(stdout);
    ::_dup2(::_fileno(stderr), ::_fileno(stdout));
    int nul = ::_open("NUL", _O_RDONLY);
    if (nul >= 0) {
        ::_dup2(nul, ::_fileno(stdin));
        ::_close(nul);
    }
    return channel;
}

bool ProtocolChannel::Read(void* buffer, std::size_t size) const {
    auto* p = static_cast<char*>(buffer);
    while (size > 0) {
        DWORD n = 0;
        if (!::ReadFile(H(in_), p, static_cast<DWORD>(size), &n, nullptr) || n == 0) return false;
        p += n;
        size -= n;
    }
    return true;
}

bool ProtocolChannel::Write(const void* bytes, std::size_t size) const {
    const auto* p = static_cast<const char*>(bytes);
    while (size > 0) {
        DWORD n = 0;
        if (!::WriteFile(H(out_), p, static_cast<DWORD>(size), &n, nullptr) || n == 0) return false;
        p += n;
        size -= n;
    }
    return true;
}

void ReportCrashes(void (*report)(unsigned code, bool windowsException)) {
    g_report = report;
    // No dialog for a missing dependency or a fault, no debugger: a crash is reported here.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(&OnException);
    // Room on the stack for the filter after a stack overflow.
    ULONG guarantee = 64 * 1024;
    ::SetThreadStackGuarantee(&guarantee);
    std::signal(SIGABRT, &OnAbort);
}

GuardedBuffer::GuardedBuffer(std::size_t size) : size_(size) {
    SYSTEM_INFO info{};
    ::GetSystemInfo(&info);
    const std::size_t page = info.dwPageSize;
    std::size_t dataPages = (size + page - 1) / page;
    mappingSize_ = (dataPages + 1) * page;
    void* m = ::VirtualAlloc(nullptr, mappingSize_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (m == nullptr) return;
    mapping_ = m;
    char* guard = static_cast<char*>(m) + dataPages * page;
    DWORD old = 0;
    ::VirtualProtect(guard, page, PAGE_NOACCESS, &old);
    data_ = guard - size;  // the buffer ends where the guard page begins
}

GuardedBuffer::~GuardedBuffer() {
    if (mapping_ != nullptr) ::VirtualFree(mapping_, 0, MEM_RELEASE);
}

}  // namespace platform

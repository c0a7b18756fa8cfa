#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {
class ChildProcess;
}

// Called about every 50 ms while the library works on a call, with the time waited so far;
// returning false abandons the call (the host is ended).
using WaitHook = std::function<bool(long elapsedMs)>;

// How a payment library file is to be run.
enum class LibraryKind { Missing, Elf, WindowsPe32, WindowsPe64, Other };
LibraryKind KindOfLibrary(const std::string& path);

// What the host said after loading the library.
struct HostHello {
    enum Status { Loaded, LoadFailed, NoEntry } status = LoadFailed;
    int code = 0;        // Windows-style error code of a failed load
    std::string detail;  // the OS's own words
};

// What became of one call.
struct HostCall {
    enum Outcome { Answered, Crashed, Exited, Abandoned, Broken } outcome = Broken;
    std::string answer;  // Answered: the bytes before the first NUL
    unsigned code = 0;   // Crashed: signal or exception code; Exited: exit status
    bool windowsException = false;
    long waitedMs = 0;
};

// The tool's end of corvane-host, the process that holds one payment library: natively for an
// ELF library, under Wine for a Windows DLL.
class PayHost {
public:
    ~PayHost();
    PayHost(const PayHost&) = delete;
    PayHost& operator=(const PayHost&) = delete;

    // Starts a host for `library` (its kind decides which host); null when no host could be
    // started, with `error` saying why and `code` the Windows-style error code (193 for a kind
    // of library this system cannot run).
    static std::unique_ptr<PayHost> Start(const std::string& library, std::string& error,
                                          int& code);

    const std::string& Library() const { return library_; }

    // Waits at most `timeoutMs` for the host to load the library.
    HostHello AwaitHello(int timeoutMs);

    // One call of payTrans with a response buffer of `responseSize` bytes. Any outcome but
    // Answered leaves the host ended.
    HostCall Call(std::string_view request, std::uint32_t responseSize,
                  const WaitHook& keepWaiting);

private:
    PayHost() = default;
    enum class Read { Done, Ended, Abandoned };
    Read ReadExactly(void* buffer, std::size_t size, const WaitHook& keepWaiting, long& waitedMs);
    // Reaps the ended host; `judgeByExit` takes the outcome from how it ended.
    HostCall Ended(HostCall call, bool judgeByExit);

    std::string library_;
    std::unique_ptr<platform::ChildProcess> process_;
};

// Starts the host for `library` ahead of time (while the window builds itself); the next
// CPayLibrary that loads the same library takes it over.
void PrestartPayHost(const std::string& library);
std::unique_ptr<PayHost> TakePrestartedPayHost(const std::string& library);

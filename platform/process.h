#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// How a child process ended.
struct ProcessExit {
    bool signaled = false;  // true: killed by signal `code`; false: exited with status `code`
    int code = 0;
};

// A child process whose standard input and output are pipes of ours and whose standard error
// is appended to a log file (readable by its owner only).
class ChildProcess {
public:
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (looked up in PATH when it holds no separator) with `environment` entries
    // (NAME=VALUE) added to ours. Null on failure, with `error` saying why.
    static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& argv,
                                               const std::vector<std::string>& environment,
                                               const std::string& errorLog, std::string& error);

    // Writes every byte; false when the child no longer reads.
    bool Write(std::string_view bytes);

    // Reads at most `size` bytes, waiting at most `timeoutMs`: the count read, 0 when nothing
    // came in time, -1 at the end of the stream.
    long Read(void* buffer, std::size_t size, int timeoutMs);

    // Ends the child at once.
    void Kill();

    // Waits for the child to end (once; later calls give the same result).
    ProcessExit Wait();

private:
    ChildProcess() = default;

    // A process id and descriptors on POSIX, handles on Windows; -1 for none.
    std::intptr_t process_ = -1;
    std::intptr_t in_ = -1;   // the child's standard input
    std::intptr_t out_ = -1;  // the child's standard output
    bool reaped_ = false;
    ProcessExit exit_;
};

// The conventional name of a signal ("SIGSEGV"), or empty.
std::string SignalName(int signal);

// The command that runs corvane-host, which lies in `folder`, for `library`, and what it adds
// to the environment. A Windows DLL runs in the Windows host, corvane-host.exe (on Linux under
// Wine, in the tool's own prefix, with the loader of the host's width: `host64`); a Linux library
// in the native host. Empty when this system cannot run that kind of library.
std::vector<std::string> HostCommand(const std::string& folder, const std::string& library,
                                     bool windowsLibrary, bool host64,
                                     std::vector<std::string>& environment);

// The Wine prefix the Windows host runs in: $WINEPREFIX, else ~/.cache/corvanetext/wine; empty
// where no Wine is needed.
std::string WinePrefix();

}  // namespace platform

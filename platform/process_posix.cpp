#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/process.h"

extern char** environ;

namespace platform {

namespace {

void CloseFd(std::intptr_t& fd) {
    if (fd >= 0) ::close(static_cast<int>(fd));
    fd = -1;
}

int Fd(std::intptr_t fd) { return static_cast<int>(fd); }

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                                  const std::vector<std::string>& environment,
                                                  const std::string& errorLog, std::string& error) {
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        ::close(toChild[0]);
        ::close(toChild[1]);
        return nullptr;
    }
    // Room for large answers in few round trips.
    ::fcntl(fromChild[0], F_SETPIPE_SZ, 1 << 20);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    ::posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    ::posix_spawn_file_actions_addopen(&actions, 2, errorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                       0600);

    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string_view entry(*e);
        bool replaced = false;
        for (const std::string& mine : environment)
            if (entry.substr(0, entry.find('=') + 1) == mine.substr(0, mine.find('=') + 1))
                replaced = true;
        if (!replaced) env.push_back(*e);
    }
    for (const std::string& mine : environment) env.push_back(const_cast<char*>(mine.c_str()));
    env.push_back(nullptr);

    pid_t pid = -1;
    int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    if (rc != 0) {
        error = argv[0] + ": " + std::strerror(rc);
        ::close(toChild[1]);
        ::close(fromChild[0]);
        return nullptr;
    }
    std::unique_ptr<ChildProcess> child(new ChildProcess);
    child->process_ = pid;
    child->in_ = toChild[1];
    child->out_ = fromChild[0];
    return child;
}

ChildProcess::~ChildProcess() {
    // Without its input the child ends by itself; one that does not is ended.
    CloseFd(in_);
    if (!reaped_ && process_ > 0) {
        for (int i = 0; i < 200 && !reaped_; ++i) {
            int status = 0;
            if (::waitpid(static_cast<pid_t>(process_), &status, WNOHANG) ==
                static_cast<pid_t>(process_))
                reaped_ = true;
            else if (i < 199)
                ::usleep(5000);
        }
        if (!reaped_) {
            Kill();
            Wait();
        }
    }
    CloseFd(out_);
}

bool ChildProcess::Write(std::string_view bytes) {
    // A child that has gone must not take this process down with SIGPIPE.
    sigset_t pipe, old;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe, &old);
    bool ok = true;
    while (!bytes.empty()) {
        ssize_t n = ::write(Fd(in_), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    if (!ok && errno == EPIPE) {
        timespec none{};
        while (::sigtimedwait(&pipe, nullptr, &none) == SIGPIPE) {
        }
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

long ChildProcess::Read(void* buffer, std::size_t size, int timeoutMs) {
    pollfd p{Fd(out_), POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) return 0;
    if (ready < 0) return -1;
    ssize_t n;
    do {
        n = ::read(Fd(out_), buffer, size);
    } while (n < 0 && errno == EINTR);
    return n > 0 ? static_cast<long>(n) : -1;
}

void ChildProcess::Kill() {
    if (!reaped_ && process_ > 0) ::kill(static_cast<pid_t>(process_), SIGKILL);
}

ProcessExit ChildProcess::Wait() {
    if (reaped_ || process_ <= 0) return exit_;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(static_cast<pid_t>(process_), &status, 0);
    } while (r < 0 && errno == EINTR);
    reaped_ = true;
    if (r == static_cast<pid_t>(process_)) {
        if (WIFSIGNALED(status))
            exit_ = {true, WTERMSIG(status)};
        else if (WIFEXITED(status))
            exit_ = {false, WEXITSTATUS(status)};
    }
    return exit_;
}

std::string SignalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGILL:
            return "SIGILL";
        case SIGFPE:
            return "SIGFPE";
        case SIGABRT:
            return "SIGABRT";
        case SIGKILL:
            return "SIGKILL";
        case SIGTERM:
            return "SIGTERM";
        case SIGINT:
            return "SIGINT";
        case SIGPIPE:
            return "SIGPIPE";
        case SIGSYS:
            return "SIGSYS";
        case SIGTRAP:
            return "SIGTRAP";
        default:
            return {};
    }
}

std::vector<std::string> HostCommand(const std::string& folder, const std::string& library,
                                     bool windowsLibrary, bool host64,
                                     std::vector<std::string>& environment) {
    if (!windowsLibrary) return {folder + "corvane-host", library};
    // The ANSI code page 936, no Mono or Gecko, no debug chatter, and the tool's own prefix.
    environment = {"WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml=", "LC_ALL=zh_CN.UTF-8"};
    if (std::getenv("WINEPREFIX") == nullptr) environment.push_back("WINEPREFIX=" + WinePrefix());
    // A 64-bit program goes straight to Wine's 64-bit loader, which also works where the
    // machine runs no 32-bit programs.
    std::string loader = "wine";
    if (host64 && ::access("/usr/lib/wine/wine64", X_OK) == 0) loader = "/usr/lib/wine/wine64";
    return {loader, folder + "corvane-host.exe", library};
}

std::string WinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX")) return prefix;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "/tmp") + "/.cache/corvanetext/wine";
}

}  // namespace platform

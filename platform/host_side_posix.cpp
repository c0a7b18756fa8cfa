#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <initializer_list>

#include "platform/host_side.h"

namespace platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

ProtocolChannel ProtocolChannel::TakeStandardStreams() {
    ProtocolChannel channel;
    channel.in_ = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
    channel.out_ = ::fcntl(1, F_DUPFD_CLOEXEC, 3);
    int empty = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (empty >= 0) {
        ::dup2(empty, 0);
        ::close(empty);
    }
    ::dup2(2, 1);
    return channel;
}

bool ProtocolChannel::Read(void* buffer, std::size_t size) const {
    auto* p = static_cast<char*>(buffer);
    while (size > 0) {
        ssize_t n = ::read(static_cast<int>(in_), p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ProtocolChannel::Write(const void* bytes, std::size_t size) const {
    const auto* p = static_cast<const char*>(bytes);
    while (size > 0) {
        ssize_t n = ::write(static_cast<int>(out_), p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

namespace {

void (*g_report)(unsigned, bool) = nullptr;

void OnCrash(int signal) {
    if (g_report != nullptr) g_report(static_cast<unsigned>(signal), false);
    // Die of the same signal, so that the parent sees it too.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

}  // namespace

void ReportCrashes(void (*report)(unsigned code, bool windowsException)) {
    g_report = report;
    // An alternate stack, so that a stack overflow is reported as well.
    static char altStack[64 * 1024];
    stack_t ss{};
    ss.ss_sp = altStack;
    ss.ss_size = sizeof altStack;
    ::sigaltstack(&ss, nullptr);
    struct sigaction action {};
    action.sa_handler = &OnCrash;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGSYS, SIGTRAP})
        ::sigaction(s, &action, nullptr);
    // A library's failed write to a closed pipe is its own business, not a crash.
    ::signal(SIGPIPE, SIG_IGN);
}

GuardedBuffer::GuardedBuffer(std::size_t size) : size_(size) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::size_t dataPages = (size + page - 1) / page;
    mappingSize_ = (dataPages + 1) * page;
    void* m =
        ::mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) return;
    mapping_ = m;
    char* guard = static_cast<char*>(m) + dataPages * page;
    ::mprotect(guard, page, PROT_NONE);
    data_ = guard - size;  // the buffer ends where the guard page begins
}

GuardedBuffer::~GuardedBuffer() {
    if (mapping_ != nullptr) ::munmap(mapping_, mappingSize_);
}

}  // namespace platform

#include "bridge/pay_host.h"

#include <cstring>
#include <fstream>
#include <mutex>

#include "common/host_frames.h"
#include "platform/executable_path.h"
#include "platform/local_clock.h"
#include "platform/process.h"

namespace {

constexpr int kSliceMs = 50;

long MsSince(long long start) { return static_cast<long>(platform::MonotonicMs() - start); }

}  // namespace

LibraryKind KindOfLibrary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return LibraryKind::Missing;
    unsigned char head[64] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    std::streamsize got = in.gcount();
    if (got >= 4 && std::memcmp(head,
                                "\x7f"
                                "ELF",
                                4) == 0)
        return LibraryKind::Elf;
    if (got < 64 || head[0] != 'M' || head[1] != 'Z') return LibraryKind::Other;
    // The PE header's machine: 0x8664 is x86-64, anything else is taken for 32-bit.
    std::uint32_t peOffset = head[0x3C] | head[0x3D] << 8 | head[0x3E] << 16 |
                             static_cast<std::uint32_t>(head[0x3F]) << 24;
    unsigned char pe[6] = {};
    in.clear();
    in.seekg(peOffset);
    in.read(reinterpret_cast<char*>(pe), sizeof pe);
    if (in.gcount() != 6 || std::memcmp(pe, "PE\0\0", 4) != 0) return LibraryKind::Other;
    return (pe[4] | pe[5] << 8) == 0x8664 ? LibraryKind::WindowsPe64 : LibraryKind::WindowsPe32;
}

std::unique_ptr<PayHost> PayHost::Start(const std::string& library, std::string& error, int& code) {
    const std::string folder = platform::ExecutableFolder();
    std::vector<std::string> env;
    LibraryKind kind = KindOfLibrary(library);
    bool windows = kind == LibraryKind::WindowsPe32 || kind == LibraryKind::WindowsPe64;
    // Wine's loader goes by the host's width; a DLL of the other width then fails to load in
    // it with 193, as on Windows.
    bool host64 = windows && KindOfLibrary(folder + "corvane-host.exe") == LibraryKind::WindowsPe64;
    std::vector<std::string> argv = platform::HostCommand(folder, library, windows, host64, env);
    if (argv.empty()) {
        code = 193;
        error = library + ": a library of a kind this system cannot run";
        return nullptr;
    }
    code = 126;
    std::unique_ptr<PayHost> host(new PayHost);
    host->library_ = library;
    host->process_ = platform::ChildProcess::Start(argv, env, folder + "corvane-host.log", error);
    if (!host->process_) return nullptr;
    return host;
}

PayHost::~PayHost() = default;

PayHost::Read PayHost::ReadExactly(void* buffer, std::size_t size, const WaitHook& keepWaiting,
                                   long& waitedMs) {
    auto* p = static_cast<char*>(buffer);
    long long start = platform::MonotonicMs();
    while (size > 0) {
        long n = process_->Read(p, size, kSliceMs);
        if (n < 0) return Read::Ended;
        if (n == 0) {
            waitedMs = MsSince(start);
            if (keepWaiting && !keepWaiting(waitedMs)) return Read::Abandoned;
            continue;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    waitedMs = MsSince(start);
    return Read::Done;
}

HostCall PayHost::Ended(HostCall call, bool judgeByExit) {
    platform::ProcessExit exit = process_->Wait();
    if (judgeByExit) {
        call.outcome = exit.signaled ? HostCall::Crashed : HostCall::Exited;
        call.code = static_cast<unsigned>(exit.code);
    }
    return call;
}

HostHello PayHost::AwaitHello(int timeoutMs) {
    HostHello hello;
    unsigned char raw[kFrameHeaderSize];
    long waited = 0;
    WaitHook deadline = [timeoutMs](long ms) { return ms < timeoutMs; };
    Read r = ReadExactly(raw, sizeof raw, deadline, waited);
    std::optional<FrameHeader> header;
    if (r == Read::Done) header = DecodeFrameHeader(raw);
    if (r == Read::Done && header && header->kind == FrameKind::Hello) {
        hello.detail.resize(header->length);
        if (ReadExactly(hello.detail.data(), hello.detail.size(), deadline, waited) == Read::Done) {
            hello.status = static_cast<HostHello::Status>(header->a);
            hello.code = static_cast<int>(header->b);
            if (hello.status == HostHello::Loaded) return hello;
            process_->Wait();
            return hello;
        }
    }
    process_->Kill();
    platform::ProcessExit exit = process_->Wait();
    hello.status = HostHello::LoadFailed;
    if (r == Read::Abandoned) {
        hello.code = 1460;  // ERROR_TIMEOUT
        hello.detail = "corvane-host did not load the library within " +
                       std::to_string(timeoutMs / 1000) + " s";
    } else {
        hello.code = 126;
        hello.detail = std::string("corvane-host ended before loading the library (") +
                       (exit.signaled ? "signal " : "exit status ") + std::to_string(exit.code) +
                       "); see corvane-host.log beside the program";
    }
    return hello;
}

HostCall PayHost::Call(std::string_view request, std::uint32_t responseSize,
                       const WaitHook& keepWaiting) {
    HostCall call;
    if (!process_->Write(EncodeFrame(FrameKind::Call, responseSize, 0, request)))
        return Ended(call, true);
    unsigned char raw[kFrameHeaderSize];
    Read r = ReadExactly(raw, sizeof raw, keepWaiting, call.waitedMs);
    if (r == Read::Abandoned) {
        process_->Kill();
        call.outcome = HostCall::Abandoned;
        return Ended(call, false);
    }
    if (r == Read::Ended) return Ended(call, true);
    std::optional<FrameHeader> header = DecodeFrameHeader(raw);
    if (header && header->kind == FrameKind::Crash) {
        call.outcome = HostCall::Crashed;
        call.code = header->a;
        call.windowsException =
            header->b == static_cast<std::uint32_t>(CrashCodeKind::WindowsException);
        return Ended(call, false);
    }
    if (!header || header->kind != FrameKind::Answer || header->length >= responseSize) {
        process_->Kill();
        call.outcome = HostCall::Broken;
        return Ended(call, false);
    }
    call.answer.resize(header->length);
    long more = 0;
    if (ReadExactly(call.answer.data(), call.answer.size(), {}, more) != Read::Done) {
        call.answer.clear();
        return Ended(call, true);
    }
    call.outcome = HostCall::Answered;
    return call;
}

namespace {

std::mutex g_prestartMutex;
std::unique_ptr<PayHost> g_prestarted;

}  // namespace

void PrestartPayHost(const std::string& library) {
    std::string error;
    int code = 0;
    std::unique_ptr<PayHost> host = PayHost::Start(library, error, code);
    std::lock_guard lock(g_prestartMutex);
    g_prestarted = std::move(host);
}

std::unique_ptr<PayHost> TakePrestartedPayHost(const std::string& library) {
    std::lock_guard lock(g_prestartMutex);
    if (g_prestarted && g_prestarted->Library() == library) return std::move(g_prestarted);
    g_prestarted.reset();
    return nullptr;
}

// corvane-host: holds one payment library in a process of its own and serves its payTrans to
// the tool over the frames of common/host_frames.h, so that a library that crashes, exits or
// hangs never takes the tool down with it.
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/host_frames.h"
#include "common/pay_contract.h"
#include "platform/dynamic_library.h"
#include "platform/host_side.h"

namespace {

platform::ProtocolChannel g_channel;

bool Send(FrameKind kind, std::uint32_t a, std::uint32_t b, std::string_view payload) {
    std::string frame = EncodeFrame(kind, a, b, payload);
    return g_channel.Write(frame.data(), frame.size());
}

// Runs inside a crash handler: encodes on the stack and writes, nothing else.
void ReportCrash(unsigned code, bool windowsException) {
    unsigned char header[kFrameHeaderSize];
    EncodeFrameHeader({FrameKind::Crash, code,
                       static_cast<std::uint32_t>(windowsException ? CrashCodeKind::WindowsException
                                                                   : CrashCodeKind::Signal),
                       0},
                      header);
    g_channel.Write(header, sizeof header);
}

// The buffers, each with an inaccessible page right behind it; reused from call to call, as
// the library keeps no pointer to them. One response buffer per size the tool names.
platform::GuardedBuffer* RequestBuffer() {
    static platform::GuardedBuffer buffer(kRequestBufferSize);
    return buffer.data() != nullptr ? &buffer : nullptr;
}

platform::GuardedBuffer* ResponseBuffer(std::size_t size) {
    static std::map<std::size_t, std::unique_ptr<platform::GuardedBuffer>> buffers;
    if (buffers.size() > 4) buffers.clear();
    auto& buffer = buffers[size];
    if (!buffer) buffer = std::make_unique<platform::GuardedBuffer>(size);
    return buffer->data() != nullptr ? buffer.get() : nullptr;
}

// One call: the request in a zeroed 10,000-byte buffer, the answer in a buffer of the size the
// tool names, its first byte cleared.
bool Serve(PayTransEntry entry, std::uint32_t responseSize, const std::string& request) {
    platform::GuardedBuffer* in = RequestBuffer();
    platform::GuardedBuffer* out = ResponseBuffer(responseSize);
    if (in == nullptr || out == nullptr) return false;
    std::memset(in->data(), 0, kRequestBufferSize);
    std::memcpy(in->data(), request.data(), request.size());
    out->data()[0] = '\0';
    entry(in->data(), out->data());
    const void* nul = std::memchr(out->data(), '\0', responseSize);
    std::size_t length = nul != nullptr
                             ? static_cast<std::size_t>(static_cast<const char*>(nul) - out->data())
                             : responseSize - 1;
    unsigned char header[kFrameHeaderSize];
    EncodeFrameHeader({FrameKind::Answer, 0, 0, static_cast<std::uint32_t>(length)}, header);
    return g_channel.Write(header, sizeof header) && g_channel.Write(out->data(), length);
}

}  // namespace

int main(int argc, char** argv) {
    g_channel = platform::ProtocolChannel::TakeStandardStreams();
    std::vector<std::string> args = platform::ProgramArguments(argc, argv);
    if (args.size() != 2) {
        Send(FrameKind::Hello, static_cast<std::uint32_t>(HelloStatus::LoadFailed), 87,
             "usage: corvane-host LIBRARY");
        return 2;
    }
    platform::ReportCrashes(&ReportCrash);

    platform::LibraryError error;
    platform::LibraryHandle library = platform::OpenLibrary(args[1], error);
    if (library == nullptr) {
        Send(FrameKind::Hello, static_cast<std::uint32_t>(HelloStatus::LoadFailed),
             static_cast<std::uint32_t>(error.code), error.reason);
        return 1;
    }
    auto entry = reinterpret_cast<PayTransEntry>(platform::FindSymbol(library, kPayTransName));
    if (entry == nullptr) {
        platform::CloseLibrary(library);
        Send(FrameKind::Hello, static_cast<std::uint32_t>(HelloStatus::NoEntry), 127, {});
        return 1;
    }
    if (!Send(FrameKind::Hello, static_cast<std::uint32_t>(HelloStatus::Loaded), 0, {})) return 1;

    // Until the tool closes the stream.
    for (;;) {
        unsigned char raw[kFrameHeaderSize];
        if (!g_channel.Read(raw, sizeof raw)) break;
        std::optional<FrameHeader> header = DecodeFrameHeader(raw);
        if (!header || header->kind != FrameKind::Call || header->length > kMaxRequestLength ||
            header->a == 0 || header->a > kResponseBufferSize)
            return 3;  // not the tool speaking
        std::string request(header->length, '\0');
        if (!g_channel.Read(request.data(), request.size())) break;
        if (!Serve(entry, header->a, request)) return 4;
    }
    platform::CloseLibrary(library);
    return 0;
}

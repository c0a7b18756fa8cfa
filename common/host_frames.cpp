#include "common/host_frames.h"

namespace {

void Put(unsigned char* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t Get(const unsigned char* in) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | in[i];
    return v;
}

}  // namespace

void EncodeFrameHeader(const FrameHeader& header, unsigned char out[kFrameHeaderSize]) {
    Put(out, static_cast<std::uint32_t>(header.kind));
    Put(out + 4, header.a);
    Put(out + 8, header.b);
    Put(out + 12, header.length);
}

std::optional<FrameHeader> DecodeFrameHeader(const unsigned char in[kFrameHeaderSize]) {
    FrameHeader h{static_cast<FrameKind>(Get(in)), Get(in + 4), Get(in + 8), Get(in + 12)};
    switch (h.kind) {
        case FrameKind::Hello:
        case FrameKind::Call:
        case FrameKind::Answer:
        case FrameKind::Crash:
            break;
        default:
            return std::nullopt;
    }
    if (h.length > kMaxFramePayload) return std::nullopt;
    return h;
}

std::string EncodeFrame(FrameKind kind, std::uint32_t a, std::uint32_t b,
                        std::string_view payload) {
    std::string frame(kFrameHeaderSize, '\0');
    unsigned char header[kFrameHeaderSize];
    EncodeFrameHeader({kind, a, b, static_cast<std::uint32_t>(payload.size())}, header);
    frame.assign(reinterpret_cast<const char*>(header), kFrameHeaderSize);
    frame.append(payload);
    return frame;
}

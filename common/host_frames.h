#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The frames between the tool and corvane-host, the process that holds the payment library.
// Binary, little-endian, no text translation. Every frame is a 16-byte header (kind, two
// numbers, payload length) followed by the payload.
//
//   host -> tool  Hello   a = HelloStatus, b = Windows-style error code, payload = OS reason
//   tool -> host  Call    a = response buffer size, payload = request text (no NUL)
//   host -> tool  Answer  payload = the bytes before the first NUL, at most size - 1
//   host -> tool  Crash   a = signal number or exception code, b = CrashCodeKind

enum class FrameKind : std::uint32_t { Hello = 0x48564331, Call = 2, Answer = 3, Crash = 4 };

enum class HelloStatus : std::uint32_t { Loaded = 0, LoadFailed = 1, NoEntry = 2 };

enum class CrashCodeKind : std::uint32_t { Signal = 0, WindowsException = 1 };

inline constexpr std::size_t kFrameHeaderSize = 16;
// The largest payload either side accepts: a transaction's answer.
inline constexpr std::uint32_t kMaxFramePayload = 6000000;

struct FrameHeader {
    FrameKind kind{};
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    std::uint32_t length = 0;
};

void EncodeFrameHeader(const FrameHeader& header, unsigned char out[kFrameHeaderSize]);

// None when the kind is unknown or the payload longer than kMaxFramePayload.
std::optional<FrameHeader> DecodeFrameHeader(const unsigned char in[kFrameHeaderSize]);

// Header and payload in one buffer, ready to write.
std::string EncodeFrame(FrameKind kind, std::uint32_t a, std::uint32_t b, std::string_view payload);

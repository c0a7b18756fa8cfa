#pragma once

#include <cstddef>

#include "platform/callconv.h"

// What the tool and a payment library agree on about the library's single entry.

extern "C" {
// A NUL-terminated request in, a NUL-terminated answer written into the caller's buffer. The
// result is not used.
typedef int(CORVANE_CALL* PayTransEntry)(const char* request, char* response);
}

inline constexpr const char* kPayTransName = "payTrans";

// The caller's buffers: the request and the settings push's answer hold 10,000 bytes, a
// transaction's answer 6,000,000; each text must leave room for its NUL.
inline constexpr std::size_t kRequestBufferSize = 10000;
inline constexpr std::size_t kSettingsResponseSize = 10000;
inline constexpr std::size_t kResponseBufferSize = 6000000;
inline constexpr std::size_t kMaxRequestLength = kRequestBufferSize - 1;
inline constexpr std::size_t kMaxSettingsAnswerLength = kSettingsResponseSize - 1;
inline constexpr std::size_t kMaxAnswerLength = kResponseBufferSize - 1;

// The business code of the settings push that precedes every request.
inline constexpr const char* kSettingsPushType = "hop.trade.setinfo";

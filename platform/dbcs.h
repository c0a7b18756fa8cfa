#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// The ANSI code page is 936 (GBK): a byte 0x81..0xFE starts a two-byte character whose second
// byte may be any of 0x40..0xFE, including '[', '\' and ']'.
constexpr bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Length of the character starting at text[i]: 2 for a lead byte with a byte after it, else 1.
constexpr std::size_t CharLength(std::string_view text, std::size_t i) {
    return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

}  // namespace platform

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

// Whether the text ends with a lead byte that has no byte after it (half a character).
constexpr bool EndsInsideCharacter(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 == text.size()) return true;
        i += CharLength(text, i);
    }
    return false;
}

// The longest start of `text` of at most `limit` bytes that ends on a whole character.
constexpr std::string_view CutGbk(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t end = 0;
    while (end < text.size() && end + CharLength(text, end) <= limit) end += CharLength(text, end);
    return text.substr(0, end);
}

}  // namespace platform

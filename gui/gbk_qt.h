#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "platform/text_codec.h"

// The widgets' edge: GBK bytes inside, UTF-16 on the screen.
inline QString FromGbk(std::string_view gbk) {
    return QString::fromStdU16String(platform::GbkToUtf16(gbk));
}

inline std::string ToGbk(const QString& text) {
    return platform::Utf16ToGbk(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), text.size()));
}

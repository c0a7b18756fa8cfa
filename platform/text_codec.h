#pragma once

#include <string>
#include <string_view>

namespace platform {

// Conversions between the tool's GBK bytes (code page 936) and Unicode, for the screen and the
// terminal. Every valid GBK text survives GBK -> Unicode -> GBK byte for byte. Bytes that are
// not valid GBK become U+FFFD, a trailing incomplete lead byte included; a character GBK cannot
// hold becomes "?".
std::u16string GbkToUtf16(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view text);
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

// A file name as the OS spells it (UTF-8 on Linux) in GBK, for messages.
std::string FileNameToGbk(std::string_view fileName);

}  // namespace platform

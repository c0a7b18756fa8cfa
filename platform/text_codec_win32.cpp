#include <windows.h>

#include "platform/dbcs.h"
#include "platform/text_codec.h"
#include "platform/wide_path_win32.h"

namespace platform {

namespace {

constexpr UINT kGbk = 936;

// Converts strictly; false when a byte sequence is not valid GBK.
bool Strict(std::string_view gbk, std::u16string& out) {
    int n = ::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(),
                                  static_cast<int>(gbk.size()), nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    ::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(), static_cast<int>(gbk.size()),
                          reinterpret_cast<wchar_t*>(out.data()), n);
    return true;
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
    std::u16string out;
    if (gbk.empty() || Strict(gbk, out)) return out;
    // Character by character, each invalid sequence becoming U+FFFD.
    out.clear();
    for (std::size_t i = 0; i < gbk.size();) {
        std::size_t n = CharLength(gbk, i);
        std::u16string one;
        if (Strict(gbk.substr(i, n), one)) {
            out += one;
        } else if (static_cast<unsigned char>(gbk[i]) == 0xFF) {
            out += u'\xF8F5';  // code page 936's lone 0xFF, which the strict call refuses
        } else {
            out += u'\xFFFD';
            // A pair in the trail byte's range is one unmapped character; otherwise the byte
            // after the lead is read on its own.
            auto trail = n == 2 ? static_cast<unsigned char>(gbk[i + 1]) : 0;
            if (n == 2 && !(trail >= 0x40 && trail != 0x7F)) n = 1;
        }
        i += n;
    }
    return out;
}

std::string Utf16ToGbk(std::u16string_view text) {
    if (text.empty()) return {};
    // GBK holds no character beyond the BMP: a surrogate pair is one "?", not two.
    std::u16string bmp;
    bmp.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
        bmp += c >= 0xD800 && c <= 0xDFFF ? u'?' : c;
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(bmp.data());
    int n = ::WideCharToMultiByte(kGbk, 0, wide, static_cast<int>(bmp.size()), nullptr, 0, "?",
                                  nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(kGbk, 0, wide, static_cast<int>(bmp.size()), out.data(), n, "?", nullptr);
    return out;
}

std::string GbkToUtf8(std::string_view gbk) {
    std::u16string wide = GbkToUtf16(gbk);
    return Narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(wide.data()), wide.size()));
}

std::string Utf8ToGbk(std::string_view utf8) {
    std::wstring wide = Widen(utf8);
    return Utf16ToGbk(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::string FileNameToGbk(std::string_view fileName) { return Utf8ToGbk(fileName); }

}  // namespace platform

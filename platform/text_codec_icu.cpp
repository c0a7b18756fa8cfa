#include "platform/text_codec.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <memory>

namespace platform {

namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// One converter per thread: ICU converters keep state and are not shared.
UConverter* Gbk() {
    thread_local Converter converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        Converter c(ucnv_open("GBK", &status));
        if (U_FAILURE(status)) return Converter();
        // Unmappable Unicode becomes '?', as the Windows ANSI functions do.
        ucnv_setSubstChars(c.get(), "?", 1, &status);
        return c;
    }();
    return converter.get();
}

// Every illegal or unmappable byte sequence becomes U+FFFD.
void ToUnicodeReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                          UConverterCallbackReason reason, UErrorCode* status) {
    if (reason > UCNV_IRREGULAR) return;
    *status = U_ZERO_ERROR;
    static const UChar kReplacement = 0xFFFD;
    ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, status);
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
    UConverter* c = Gbk();
    if (c == nullptr || gbk.empty()) return {};
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(c, &ToUnicodeReplacement, nullptr, nullptr, nullptr, &status);
    ucnv_resetToUnicode(c);
    // At most one UTF-16 unit per byte.
    std::u16string out(gbk.size(), u'\0');
    UChar* target = reinterpret_cast<UChar*>(out.data());
    const char* source = gbk.data();
    ucnv_toUnicode(c, &target, target + out.size(), &source, gbk.data() + gbk.size(), nullptr,
                   /*flush=*/true, &status);
    out.resize(static_cast<std::size_t>(target - reinterpret_cast<UChar*>(out.data())));
    return out;
}

std::string Utf16ToGbk(std::u16string_view text) {
    UConverter* c = Gbk();
    if (c == nullptr || text.empty()) return {};
    ucnv_resetFromUnicode(c);
    // At most two bytes per UTF-16 unit.
    std::string out(text.size() * 2, '\0');
    UErrorCode status = U_ZERO_ERROR;
    char* target = out.data();
    const UChar* source = reinterpret_cast<const UChar*>(text.data());
    ucnv_fromUnicode(c, &target, out.data() + out.size(), &source, source + text.size(), nullptr,
                     /*flush=*/true, &status);
    out.resize(static_cast<std::size_t>(target - out.data()));
    return out;
}

std::string GbkToUtf8(std::string_view gbk) {
    std::u16string wide = GbkToUtf16(gbk);
    if (wide.empty()) return {};
    std::string out(wide.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length,
                       reinterpret_cast<const UChar*>(wide.data()),
                       static_cast<int32_t>(wide.size()), 0xFFFD, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
    if (utf8.empty()) return {};
    std::u16string wide(utf8.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(wide.data()), static_cast<int32_t>(wide.size()),
                         &length, utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr,
                         &status);
    if (U_FAILURE(status)) return {};
    wide.resize(static_cast<std::size_t>(length));
    return Utf16ToGbk(wide);
}

std::string FileNameToGbk(std::string_view fileName) { return Utf8ToGbk(fileName); }

}  // namespace platform

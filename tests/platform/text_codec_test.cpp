#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

TEST(TextCodec, ChineseLiteralsAreGbkBytes) {
    EXPECT_EQ(std::string("银联卡"), "\xD2\xF8\xC1\xAA\xBF\xA8");
    EXPECT_EQ(GbkToUtf8("\xD2\xF8\xC1\xAA\xBF\xA8"), "\xE9\x93\xB6\xE8\x81\x94\xE5\x8D\xA1");
    EXPECT_EQ(Utf8ToGbk("\xE4\xBA\x91\xE9\x97\xAA\xE4\xBB\x98"), "云闪付");
}

TEST(TextCodec, EveryTwoByteGbkCodeRoundTrips) {
    std::string all;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            all += static_cast<char>(lead);
            all += static_cast<char>(trail);
        }
    std::u16string wide = GbkToUtf16(all);
    EXPECT_EQ(wide.size(), all.size() / 2);
    EXPECT_EQ(Utf16ToGbk(wide), all);
}

TEST(TextCodec, AsciiAndTheEuroByteRoundTrip) {
    std::string ascii;
    for (int c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
    EXPECT_EQ(Utf16ToGbk(GbkToUtf16(ascii)), ascii);
    EXPECT_EQ(GbkToUtf16("\x80"), u"\u20AC");
    EXPECT_EQ(Utf16ToGbk(u"\u20AC"), "\x80");
    // Code page 936 maps the lone byte 0xFF to a private-use character: it survives too.
    EXPECT_EQ(Utf16ToGbk(GbkToUtf16("\xFF")), "\xFF");
}

TEST(TextCodec, InvalidBytesShowAsReplacementAndNeverVanish) {
    // A lone lead byte at the end, a lead byte followed by a control character.
    EXPECT_EQ(GbkToUtf16("ab\xD2"), u"ab\uFFFD");
    std::u16string mixed = GbkToUtf16("\xD2\x01z");
    ASSERT_FALSE(mixed.empty());
    EXPECT_EQ(mixed.front(), u'\uFFFD');
    EXPECT_EQ(mixed.back(), u'z');
}

TEST(TextCodec, CharactersGbkCannotHoldBecomeQuestionMarks) {
    EXPECT_EQ(Utf16ToGbk(u"a\U0001F600b"), "a?b");
    EXPECT_EQ(Utf16ToGbk(u"\u0E01"), "?");  // Thai
    EXPECT_EQ(Utf8ToGbk("\xF0\x9F\x98\x80"), "?");
}

TEST(TextCodec, EmptyTexts) {
    EXPECT_TRUE(GbkToUtf16("").empty());
    EXPECT_TRUE(Utf16ToGbk(u"").empty());
    EXPECT_TRUE(GbkToUtf8("").empty());
}

}  // namespace

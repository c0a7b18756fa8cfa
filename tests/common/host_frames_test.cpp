#include "common/host_frames.h"

#include <gtest/gtest.h>

namespace {

TEST(HostFrames, HeadersRoundTripLittleEndian) {
    std::string frame = EncodeFrame(FrameKind::Call, 6000000, 7, "abc");
    ASSERT_EQ(frame.size(), kFrameHeaderSize + 3);
    EXPECT_EQ(frame.substr(4, 4), std::string("\x80\x8D\x5B\x00", 4));  // 6,000,000
    EXPECT_EQ(frame.substr(kFrameHeaderSize), "abc");
    auto header = DecodeFrameHeader(reinterpret_cast<const unsigned char*>(frame.data()));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->kind, FrameKind::Call);
    EXPECT_EQ(header->a, 6000000u);
    EXPECT_EQ(header->b, 7u);
    EXPECT_EQ(header->length, 3u);
}

TEST(HostFrames, UnknownKindsAndOversizedPayloadsAreRefused) {
    unsigned char raw[kFrameHeaderSize];
    EncodeFrameHeader({static_cast<FrameKind>(99), 0, 0, 0}, raw);
    EXPECT_FALSE(DecodeFrameHeader(raw));
    EncodeFrameHeader({FrameKind::Answer, 0, 0, kMaxFramePayload + 1}, raw);
    EXPECT_FALSE(DecodeFrameHeader(raw));
    EncodeFrameHeader({FrameKind::Answer, 0, 0, kMaxFramePayload}, raw);
    EXPECT_TRUE(DecodeFrameHeader(raw));
}

}  // namespace

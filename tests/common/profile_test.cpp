#include "common/profile.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::ScopedCurrentDir;
using testing_support::TempDir;

TEST(Profile, MissingFileSectionOrKeyReadsEmptyAndTheFirstWriteCreatesTheFile) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    EXPECT_EQ(ReadProfileValue(kToolIni, kSettingSection, "url"), "");
    EXPECT_TRUE(WriteProfileValue(kToolIni, kSettingSection, "url", "http://h:1301/p"));
    EXPECT_EQ(ReadFileBytes("Veltrano.ini"), "[SETTING]\nurl=http://h:1301/p\n");
    EXPECT_EQ(ReadProfileValue(kToolIni, kSettingSection, "url"), "http://h:1301/p");
    EXPECT_EQ(ReadProfileValue(kToolIni, "OTHER", "url"), "");
    EXPECT_EQ(ReadProfileValue(kToolIni, kSettingSection, "appid"), "");
}

TEST(Profile, AKeyHoldingEqualsIsRefusedAndTheFileKept) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    WriteProfileValue(kToolIni, kSettingSection, "url", "u");
    std::string error;
    EXPECT_FALSE(WriteProfileValue(kToolIni, kSettingSection, "a=b", "c", &error));
    EXPECT_NE(error.find("a=b"), std::string::npos) << error;
    EXPECT_EQ(ReadFileBytes("Veltrano.ini"), "[SETTING]\nurl=u\n");
}

TEST(Profile, EmptyValueStaysAsKeyEquals) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    WriteProfileValue(kLibraryIni, kSettingSection, "REFUNDDESK", "1");
    WriteProfileValue(kLibraryIni, kSettingSection, "REFUNDDESK", "");
    EXPECT_EQ(ReadFileBytes("corvane.ini"), "[SETTING]\nREFUNDDESK=\n");
    EXPECT_EQ(ReadProfileValue(kLibraryIni, kSettingSection, "REFUNDDESK"), "");
}

TEST(Profile, LongValuesReadAsTheirFirst255Bytes) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    std::string value;
    for (int i = 0; i < 300; ++i) value += static_cast<char>('a' + i % 26);
    ASSERT_TRUE(WriteProfileValue(kToolIni, kSettingSection, "long", value));
    EXPECT_EQ(ReadProfileValue(kToolIni, kSettingSection, "long"), value.substr(0, 255));
}

TEST(Profile, RefusedWriteReportsWhy) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    std::string error;
    EXPECT_FALSE(WriteProfileValue(kToolIni, kSettingSection, "url", "a\r\nb=c", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadProfileValue(kToolIni, kSettingSection, "b"), "");
}

}  // namespace

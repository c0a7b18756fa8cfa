#include "config/config_options.h"

#include <gtest/gtest.h>

#include "common/profile.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ScopedCurrentDir;
using testing_support::TempDir;

class ConfigOptions : public testing::Test {
protected:
    ConfigOptions() : cd_(dir_.path()) {}
    TempDir dir_;
    ScopedCurrentDir cd_;
};

TEST_F(ConfigOptions, EmptyFilesCheckNothingButTheTwoCashierFallbacks) {
    ConfigChoices checked = LoadConfigChoices();
    for (std::size_t g = 0; g < 4; ++g) EXPECT_FALSE(checked[g].has_value()) << g;
    EXPECT_EQ(checked[4], 1u);  // "不显示"
    EXPECT_EQ(checked[5], 1u);
}

TEST_F(ConfigOptions, StoredValuesCheckTheirChoice) {
    const struct {
        std::size_t group;
        const char* value;
        std::optional<std::size_t> checked;
    } cases[] = {
        {0, "ALL", 0},
        {0, "POS", 6},
        {0, "UP_QR", 3},
        {0, "all", std::nullopt},
        {0, "ALL,POS", std::nullopt},
        {1, "1", 0},
        {1, "0", 1},
        {1, "2", std::nullopt},
        {2, "2", 1},
        {3, "银联卡", 0},
        {3, "云闪付", 1},
        {3, "\xE9\x93\xB6\xE8\x81\x94\xE5\x8D\xA1", std::nullopt},  // UTF-8 bytes of 银联卡
        {4, "0", 0},
        {4, "32768", 1},
        {4, "1", 1},
        {4, "", 1},
        {5, "1", 0},
        {5, "0", 1},
        {5, "32768", 1},
    };
    for (const auto& c : cases) {
        const ConfigGroup& group = kConfigGroups[c.group];
        WriteProfileValue(group.file, group.section, group.key, c.value);
        EXPECT_EQ(LoadConfigChoices()[c.group], c.checked) << group.key << "=" << c.value;
    }
}

TEST_F(ConfigOptions, EachChoiceStoresItsValueUnderItsGroupsKey) {
    const struct {
        const char* group;
        const char* choice;
        const char* file;
        const char* key;
        const char* value;
    } cases[] = {
        {"收银台渠道显示", "云闪付", kToolIni, "DepositType", "UP_QR"},
        {"淮北pos充值渠道", "云闪付", kToolIni, "PosChannl", "云闪付"},
        {"淮北pos充值渠道", "银联卡", kToolIni, "PosChannl", "\xD2\xF8\xC1\xAA\xBF\xA8"},
        {"收款收银台显示", "不显示", kLibraryIni, "NORECHARGEDESKFLAG", "32768"},
        {"退款收银台显示", "不显示", kLibraryIni, "REFUNDDESK", "0"},
        {"二维码显示", "扩展屏", kLibraryIni, "NOEXSCREENFLAG", "0"},
        {"pos终端号", "pos2", kToolIni, "PosNo", "2"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(StoreConfigChoice(c.group, c.choice)) << c.key;
        EXPECT_EQ(ReadProfileValue(c.file, kSettingSection, c.key), c.value) << c.key;
    }
}

TEST_F(ConfigOptions, UnknownGroupOrChoiceWritesNothing) {
    EXPECT_FALSE(StoreConfigChoice("没有", "云闪付"));
    EXPECT_FALSE(StoreConfigChoice("pos终端号", "pos3"));
    EXPECT_FALSE(std::filesystem::exists("Veltrano.ini"));
}

}  // namespace

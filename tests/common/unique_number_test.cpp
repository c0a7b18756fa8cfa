#include "common/unique_number.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

std::time_t g_seconds = 0;
platform::LocalTime g_local{};

class UniqueNumber : public testing::Test {
protected:
    void SetUp() override {
        SetUniqueNumberClockForTesting({[] { return g_seconds; }, [] { return g_local; }});
    }
    void TearDown() override { SetUniqueNumberClockForTesting({}); }
};

TEST_F(UniqueNumber, TimeDigitsKeepTheirLeadingZeros) {
    g_seconds = 1000;
    g_local = {2021, 3, 5, 9, 7, 2, 45};
    std::string number = MakeUniqueNumber();
    ASSERT_EQ(number.size(), 20u);
    EXPECT_EQ(number.substr(0, 17), "20210305090702045");
    g_local = {2026, 12, 31, 23, 59, 59, 999};
    EXPECT_EQ(MakeUniqueNumber().substr(0, 17), "20261231235959999");
    g_local = {2026, 1, 1, 0, 0, 0, 0};
    EXPECT_EQ(MakeUniqueNumber().substr(0, 17), "20260101000000000");
}

TEST_F(UniqueNumber, RandomPartComesFromTheSecondSeed) {
    g_local = {2021, 3, 5, 9, 7, 2, 45};
    g_seconds = 1700000000;
    std::srand(1700000000);
    unsigned b0 = static_cast<unsigned>(std::rand()) & 0xFF;
    unsigned b1 = static_cast<unsigned>(std::rand()) & 0xFF;
    char expected[4];
    std::snprintf(expected, sizeof expected, "%02X%X", b0, b1 >> 4);
    EXPECT_EQ(MakeRandomHex(), expected);
    // Same second: same random part; same millisecond too: the same number.
    EXPECT_EQ(MakeUniqueNumber(), MakeUniqueNumber());
    g_local.millisecond = 46;
    EXPECT_EQ(MakeUniqueNumber().substr(17), expected);
}

TEST_F(UniqueNumber, RandomPartIsUpperCaseHexAcrossSeconds) {
    g_local = {2021, 3, 5, 9, 7, 2, 45};
    std::set<std::string> seen;
    std::regex hex("[0-9A-F]{3}");
    for (g_seconds = 0; g_seconds < 2000; ++g_seconds) {
        std::string random = MakeRandomHex();
        ASSERT_TRUE(std::regex_match(random, hex)) << random;
        seen.insert(random);
    }
    EXPECT_GT(seen.size(), 1000u);  // the seed really varies the output
}

TEST(UniqueNumberRealClock, MatchesTheLocalTime) {
    std::string number = MakeUniqueNumber();
    EXPECT_TRUE(std::regex_match(number, std::regex("20[0-9]{15}[0-9A-F]{3}"))) << number;
    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    char date[16];
    std::strftime(date, sizeof date, "%Y%m%d", &local);
    EXPECT_EQ(number.substr(0, 8), date);
}

}  // namespace

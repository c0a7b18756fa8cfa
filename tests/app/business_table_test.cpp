#include "app/business_table.h"

#include <gtest/gtest.h>

#include "common/profile.h"
#include "pages/page_table.h"
#include "pages/requests.h"
#include "tests/support/json_text.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::Parse;
using testing_support::ScopedCurrentDir;
using testing_support::TempDir;

TEST(BusinessTable, ThirteenBusinessesOnTheirPages) {
    const struct {
        int message, subCode, radioId;
        const char* transType;
    } expected[] = {
        {2024, 2025, 1010, "hop.trade.recharge"},
        {2024, 2026, 1024, "hop.outpatients.settle"},
        {2024, 2027, 1022, "hop.qrcode.get"},
        {2034, 2035, 1015, "hop.trade.refund"},
        {2034, 2036, 1016, "hop.trade.refund"},
        {2034, 2037, 1017, "hop.trade.refund.batch"},
        {2034, 2038, 1018, "hop.trade.refund"},
        {2044, 2045, 1038, "portal.wb.getWristbandCode"},
        {2044, 2046, 1040, "portal.wb.queryAccount"},
        {2044, 2047, 1041, "portal.wb.cancelQrCode"},
        {2044, 2048, 1042, "portal.wb.printQrCode"},
        {2054, 2055, 1048, "hop.mmpay.msg.push"},
        {2054, 2056, 1049, "hop.mmpay.push.drug"},
    };
    ASSERT_EQ(Businesses().size(), std::size(expected));
    std::string last;
    for (const auto& e : expected) {
        const Business* b = FindBusiness(e.message, e.subCode);
        ASSERT_NE(b, nullptr) << e.subCode;
        EXPECT_EQ(b->radioId, e.radioId);
        EXPECT_EQ(kPages[PageOf(*b)].message, e.message);
        EXPECT_EQ(Parse(ComposeBusiness(*b, {}, last))["transType"].asString(), e.transType);
        EXPECT_EQ(b->transType, std::string(e.transType));
        EXPECT_EQ(FindBusinessByName(std::to_string(e.subCode)), b);
        EXPECT_EQ(FindBusinessByName(b->name), b);
    }
}

TEST(BusinessTable, UnknownSubCodesAndNamesFindNothing) {
    EXPECT_EQ(FindBusiness(WM_PAGE_RECHARGE, BIZ_REFUND), nullptr);  // another page's code
    EXPECT_EQ(FindBusiness(WM_PAGE_PUSH, 2057), nullptr);
    EXPECT_EQ(FindBusiness(2064, 2065), nullptr);
    EXPECT_EQ(FindBusinessByName("nonsense"), nullptr);
    EXPECT_EQ(FindBusinessByName("2025x"), nullptr);
    EXPECT_EQ(FindBusinessByName(""), nullptr);
}

TEST(BusinessTable, InputsAreReadAfreshFromBothIniFiles) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    const Business& recharge = *FindBusiness(WM_PAGE_RECHARGE, BIZ_RECHARGE);
    const Business& ombrelia = *FindBusiness(WM_PAGE_REFUND, BIZ_OMBRELIA_REFUND);

    BusinessInputs none = ReadBusinessInputs(recharge);
    EXPECT_EQ(none.depositType, "");
    WriteProfileValue(kToolIni, kSettingSection, "DepositType", "ALL");
    WriteProfileValue(kToolIni, kSettingSection, "PosNo", "2");
    WriteProfileValue(kToolIni, kSettingSection, "PosChannl", "银联卡");
    WriteProfileValue(kLibraryIni, "DIVev", "OPERATORID", "OP9");
    BusinessInputs in = ReadBusinessInputs(recharge);
    EXPECT_EQ(in.depositType, "ALL");
    EXPECT_EQ(in.posNo, "2");
    EXPECT_EQ(in.posChannl, "银联卡");
    EXPECT_EQ(in.operatorId, "");  // not needed for a recharge
    BusinessInputs refund = ReadBusinessInputs(ombrelia);
    EXPECT_EQ(refund.operatorId, "OP9");
    EXPECT_EQ(refund.depositType, "ALL");

    std::string last;
    Json::Value request = Parse(ComposeBusiness(recharge, in, last));
    EXPECT_FALSE(request["param"].isMember("depositType"));
    EXPECT_EQ(request["param"]["PosNo"].asString(), "2");
    EXPECT_EQ(request["param"]["extra"]["poschannl"].asString(), "POS");
}

TEST(BusinessTable, RefundsFollowTheRechargeComposedLast) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    auto compose = [](int message, int code, std::string& last) {
        const Business& b = *FindBusiness(message, code);
        return Parse(ComposeBusiness(b, ReadBusinessInputs(b), last))["param"];
    };
    std::string last;
    for (int refund : {BIZ_REFUND, BIZ_POS_REFUND, BIZ_OMBRELIA_REFUND})
        EXPECT_EQ(compose(WM_PAGE_REFUND, refund, last)["outChargeNo"].asString(), "");

    std::string first = compose(WM_PAGE_RECHARGE, BIZ_RECHARGE, last)["outChargeNo"].asString();
    EXPECT_EQ(last, first);
    Json::Value refundA = compose(WM_PAGE_REFUND, BIZ_REFUND, last);
    EXPECT_EQ(refundA["outChargeNo"].asString(), first);

    // A later recharge in another millisecond: the next refunds follow it.
    testing_support::SleepMs(2);
    std::string second = compose(WM_PAGE_RECHARGE, BIZ_RECHARGE, last)["outChargeNo"].asString();
    EXPECT_NE(second, first);
    testing_support::SleepMs(2);
    Json::Value refundB = compose(WM_PAGE_REFUND, BIZ_POS_REFUND, last);
    EXPECT_EQ(refundB["outChargeNo"].asString(), second);
    EXPECT_NE(refundB["outRefundNo"].asString(), refundA["outRefundNo"].asString());

    // The batch refund neither reads nor changes the last charge number.
    std::string batch = ComposeBusiness(*FindBusiness(WM_PAGE_REFUND, BIZ_BATCH_REFUND), {}, last);
    EXPECT_EQ(batch, BuildBatchRefundRequest());
    EXPECT_EQ(last, second);
}

// The window's clicks, its POS channel recompose and the command line all come this way.
TEST(BusinessTable, ComposeRequestGathersWhatTheRowNeeds) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    WriteProfileValue(kToolIni, kSettingSection, "PosNo", "2");
    WriteProfileValue(kToolIni, kSettingSection, "PosChannl", "银联卡");
    const PageParameters page{"http://page", "ID", "SECRET"};
    std::string last;

    Json::Value settle =
        Parse(ComposeRequest(*FindBusinessByName("outpatient-settle"), page, last));
    EXPECT_EQ(settle["serveraddr"].asString(), "http://page");
    EXPECT_EQ(settle["appsecret"].asString(), "SECRET");

    const Business& recharge = *FindBusinessByName("recharge");
    Json::Value stored = Parse(ComposeRequest(recharge, page, last));
    EXPECT_EQ(stored["param"]["PosNo"].asString(), "2");
    EXPECT_EQ(stored["param"]["extra"]["poschannl"].asString(), "POS");
    EXPECT_EQ(last, stored["param"]["outChargeNo"].asString());
    const std::string quickPass = "云闪付";
    Json::Value overridden = Parse(ComposeRequest(recharge, page, last, &quickPass));
    EXPECT_EQ(overridden["param"]["extra"]["poschannl"].asString(), "POS_UP");

    // What a POS channel pick recomposes on each page.
    EXPECT_EQ(BusinessRecomposedOn(kRechargePage), &recharge);
    EXPECT_EQ(BusinessRecomposedOn(kRefundPage), FindBusinessByName("pos-refund"));
    EXPECT_EQ(BusinessRecomposedOn(kWristbandPage), nullptr);
    EXPECT_EQ(BusinessRecomposedOn(kPushPage), nullptr);
    EXPECT_EQ(BusinessRecomposedOn(4), nullptr);
}

// What the command line takes for the recharge page's parameters: what the page shows at start.
TEST(PageTable, ParametersAreTheStoredValuesOrTheDefaults) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    WriteProfileValue(kToolIni, kSettingSection, "url", "http://stored");
    WriteProfileValue(kToolIni, kSettingSection, "appid", "");
    PageParameters p = ReadPageParameters();
    EXPECT_EQ(p.serverAddr, "http://stored");
    EXPECT_EQ(p.appId, kPageParameters[1].defaultValue);
    EXPECT_EQ(p.appSecret, kPageParameters[2].defaultValue);
}

}  // namespace

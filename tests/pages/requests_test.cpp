#include "pages/requests.h"

#include <gtest/gtest.h>

#include <regex>

#include "common/unique_number.h"
#include "tests/support/json_text.h"

namespace {

using testing_support::Lines;
using testing_support::Parse;

// A fixed clock, so that order numbers are known.
class FixedClock : public testing::Test {
protected:
    void SetUp() override {
        SetUniqueNumberClockForTesting(
            {[] { return std::time_t(1700000000); },
             [] { return platform::LocalTime{2021, 3, 5, 9, 7, 2, 45}; }});
        number_ = MakeUniqueNumber();
    }
    void TearDown() override { SetUniqueNumberClockForTesting({}); }
    std::string number_;  // what every composer draws under this clock
};

TEST_F(FixedClock, RechargeRequestText) {
    std::string last;
    std::string text = BuildRechargeRequest("1", "ONE_QR", "云闪付", last);
    std::string expected =
        Lines({"{", "\"param\":{", "\"PosNo\":\"1\",", "\"accountType\":\"01\",",
               "\"amount\":\"0.01\",", "\"cardNo\":\"D12345678\",", "\"cardType\":\"01\",",
               "\"depositType\":\"ONE_QR\",", "\"extra\":{", "\"authCode\":\"\",",
               "\"hopid\":\"12345\",", "\"hopname\":\"测试医院\",", "\"poschannl\":\"POS_UP\"",
               "},", "\"hisCustId\":\"201\",", "\"idNo\":\"000000580101000\",",
               "\"operatorId\":\"001\",", "\"operatorName\":\"赵大山\","});
    expected += "\"outChargeNo\":\"CZ" + number_ + "\",\n";
    expected += Lines({"\"termNo\":\"012\",", "\"userName\":\"王小五\"", "},",
                       "\"transType\":\"hop.trade.recharge\"", "}"});
    EXPECT_EQ(text, expected);
    EXPECT_EQ(last, "CZ" + number_);
}

TEST_F(FixedClock, RefundRequestTexts) {
    const std::string head = Lines(
        {"{", "\"param\":{", "\"PosNo\":\"1\",", "\"TKJYLX\":\"02\",", "\"accountType\":\"01\",",
         "\"amount\":\"0.01\",", "\"cardNo\":\"D12345678\",", "\"cardType\":\"01\",",
         "\"channelType\":\"\",", "\"extra\":{", "\"hopid\":\"12345\",", "\"hopname\":\"测试医院\"",
         "},", "\"hisCustId\":\"201\",", "\"idNo\":\"000000580101000\",", "\"operatorId\":\"001\",",
         "\"operatorName\":\"赵大山\",", "\"outChargeNo\":\"CZ1\","});
    EXPECT_EQ(
        BuildRefundRequest("CZ1"),
        head + "\"outRefundNo\":\"TK" + number_ + "\",\n" +
            Lines({"\"refundType\":\"hisDecide\",", "\"termNo\":\"012\",", "\"withdrawMode\":\"1\"",
                   "},", "\"transType\":\"hop.trade.refund\"", "}"}));

    EXPECT_EQ(BuildOmbreliaRefundRequest("OP7", "WX_QR", "CZ1"),
              Lines({"{", "\"param\":{", "\"accountType\":\"01\",", "\"amount\":\"0.01\",",
                     "\"cardNo\":\"D12345678\",", "\"cardType\":\"01\",", "\"channelType\":\"\",",
                     "\"depositType\":\"WX_QR\",", "\"hisCustId\":\"201\",",
                     "\"hispaychannel\":\"OMBRPAY\",", "\"idNo\":\"000000580101000\",",
                     "\"operatorId\":\"001\",", "\"operatorName\":\"赵大山\",",
                     "\"outChargeNo\":\"CZ1\","}) +
                  "\"outRefundNo\":\"TK" + number_ + "\",\n" +
                  Lines({"\"rechargeId\":\"OP7\",", "\"termNo\":\"012\",", "\"withdrawMode\":\"1\"",
                         "},", "\"transType\":\"hop.trade.refund\"", "}"}));
}

TEST(Requests, FixedRequestTexts) {
    const struct {
        std::string (*compose)();
        std::string text;
    } cases[] = {
        {BuildTerminalCodeRequest,
         Lines({"{", "\"param\":{", "\"amount\":\"0.01\",", "\"getCodeWay\":\"0\",",
                "\"hisCustId\":\"201\",", "\"operatorId\":\"001\",", "\"operatorName\":\"赵大山\",",
                "\"termNo\":\"012\"", "},", "\"transType\":\"hop.qrcode.get\"", "}"})},
        {BuildBatchRefundRequest, Lines({"{",
                                         "\"param\":{",
                                         "\"accountType\":\"02\",",
                                         "\"amount\":\"10\",",
                                         "\"cardNo\":\"00363262\",",
                                         "\"cardType\":\"05\",",
                                         "\"channelType\":\"\",",
                                         "\"hisCustId\":\"000440160000110IIv\",",
                                         "\"idNo\":\"\",",
                                         "\"operatorId\":\"8008\",",
                                         "\"operatorName\":\"护士\",",
                                         "\"outChargeNo\":\"\",",
                                         "\"outRefundNo\":\"ZT20210125151033064\",",
                                         "\"refundType\":\"prepareAndConfirm\",",
                                         "\"termNo\":\"A01\",",
                                         "\"userName\":\"吴文华\",",
                                         "\"withdrawMode\":\"1\"",
                                         "},",
                                         "\"transType\":\"hop.trade.refund.batch\"",
                                         "}"})},
        {BuildWristbandCodeRequest,
         Lines({"{", "\"param\":{", "\"accountType\":\"02\",", "\"cardNo\":\"13000000000\",",
                "\"cardType\":\"03\",", "\"hospName\":\"示例人民医院\",",
                "\"idNo\":\"000000199001010000\",", "\"idType\":\"01\",",
                "\"operatorId\":\"wdf02\",", "\"operatorName\":\"腕带付\",",
                "\"userName\":\"李四\"", "},", "\"transType\":\"portal.wb.getWristbandCode\"",
                "}"})},
        {BuildWristbandQueryRequest, Lines({"{", "\"param\":{", "\"key\":\"2345654322\"", "},",
                                            "\"transType\":\"portal.wb.queryAccount\"", "}"})},
        {BuildWristbandCancelRequest, Lines({"{", "\"param\":{", "\"key\":\"2345654322\"", "},",
                                             "\"transType\":\"portal.wb.cancelQrCode\"", "}"})},
        {BuildWristbandPrintRequest,
         Lines({"{", "\"param\":{", "\"Url\":\"http://127.0.0.1:1301/quenla-web/shortUrl/k4WF8h\",",
                "\"age\":\"22\",", "\"appName\":\"示例市第一人民医院\",", "\"bedNumber\":\"3\",",
                "\"cardNo\":\"13000000000\",", "\"inHospitalTime\":\"2021-02-09 \",",
                "\"office\":\"儿科\",", "\"sex\":\"男\",", "\"userName\":\"李四\"", "},",
                "\"transType\":\"portal.wb.printQrCode\"", "}"})},
        {BuildSettlePushRequest,
         Lines({"{", "\"param\":{", "\"accountType\":\"01\",", "\"applyDepaName\":\"门诊科\",",
                "\"applyDoctorName\":\"赵大山\",", "\"cardNo\":\"D12345678\",",
                "\"cardType\":\"01\",", "\"contactNumber\":\"1008611\",", "\"fee\":\"100.00\",",
                "\"feeType\":\"01\",", "\"idNo\":\"000000580101000\",", "\"recipeNum\":\"\",",
                "\"recipeTime\":\"20210730113006\",", "\"userName\":\"王小五\",",
                "\"userNo\":\"012\",", "\"voucherNo\":\"201115\"", "},",
                "\"transType\":\"hop.mmpay.msg.push\"", "}"})},
        {BuildDrugPushRequest, Lines({"{",
                                      "\"param\":{",
                                      "\"applyDepaName\":\"门诊科\",",
                                      "\"applyDoctorName\":\"赵大山\",",
                                      "\"cancelDesc\":\"\",",
                                      "\"cardNo\":\"D12345678\",",
                                      "\"contactNumber\":\"1008611\",",
                                      "\"drugState\":\"succ\",",
                                      "\"drugWindown\":\"9 号\",",
                                      "\"fee\":\"100.00\",",
                                      "\"first\":\"您的药品已经配发好，请及时到窗口排队领药品\",",
                                      "\"hisReceiptNo\":\"123450\",",
                                      "\"idNo\":\"000000580101000\",",
                                      "\"recipeNum\":\"\",",
                                      "\"recipeTime\":\"20210730113006\",",
                                      "\"remark\":\"该处方已取药或已做检查\",",
                                      "\"userName\":\"王小五\",",
                                      "\"userNo\":\"012\",",
                                      "\"voucherNo\":\"201115\"",
                                      "},",
                                      "\"transType\":\"hop.mmpay.push.drug\"",
                                      "}"})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.compose(), c.text);
        EXPECT_EQ(c.compose(), c.compose()) << "fixed requests are the same on every call";
    }
}

TEST(Requests, OutpatientSettleCarriesThePageParametersAtTopLevel) {
    EXPECT_EQ(
        BuildOutpatientSettleRequest("http://h/", "ID", ""),
        Lines({"{", "\"appid\":\"ID\",", "\"appsecret\":\"\",", "\"param\":{",
               "\"cardNo\":\"13000000000\",", "\"idNo\":\"000000580101000\"", "},",
               "\"serveraddr\":\"http://h/\",", "\"transType\":\"hop.outpatients.settle\"", "}"}));
}

// Which members appear, and with which values, for each input.
TEST(Requests, RechargeAndRefundMembersFollowTheSettings) {
    const std::string utf8UnionPayCard = "\xE9\x93\xB6\xE8\x81\x94\xE5\x8D\xA1";
    const struct {
        std::string depositType, posChannl, posNo;
        const char* rechargeDeposit;  // null: no member
        const char* rechargeChannel;
        bool rechargeAuthCode;
        const char* posRefundChannel;
        const char* ombreliaDeposit;
    } cases[] = {
        {"ALL", "银联卡", "1", nullptr, "POS", false, "POS", nullptr},
        {"ONE_QR", "云闪付", "2", "ONE_QR", "POS_UP", true, "POS_UP", nullptr},
        {"WX_QR", "", "", "WX_QR", nullptr, false, nullptr, "WX_QR"},
        {"ALI_QR", utf8UnionPayCard, "1", "ALI_QR", nullptr, false, nullptr, "ALI_QR"},
        {"", "云闪付", "", "", "POS_UP", true, "POS_UP", nullptr},
        {"all", "POS", "2", "all", nullptr, false, nullptr, nullptr},
    };
    auto member = [](const Json::Value& object, const char* key) -> std::optional<std::string> {
        if (!object.isMember(key)) return std::nullopt;
        return object[key].asString();
    };
    auto opt = [](const char* s) { return s ? std::optional<std::string>(s) : std::nullopt; };
    for (const auto& c : cases) {
        SCOPED_TRACE("DepositType=" + c.depositType + " PosChannl=" + c.posChannl);
        std::string last;
        Json::Value recharge =
            Parse(BuildRechargeRequest(c.posNo, c.depositType, c.posChannl, last));
        ASSERT_TRUE(recharge.isObject());
        const Json::Value& param = recharge["param"];
        EXPECT_EQ(member(param, "depositType"), opt(c.rechargeDeposit));
        EXPECT_EQ(member(param, "PosNo"), c.posNo);
        EXPECT_EQ(member(param["extra"], "poschannl"), opt(c.rechargeChannel));
        EXPECT_EQ(member(param["extra"], "authCode"), opt(c.rechargeAuthCode ? "" : nullptr));
        EXPECT_EQ(param["extra"].size(),
                  2u + (c.rechargeChannel ? 1 : 0) + (c.rechargeAuthCode ? 1 : 0));

        Json::Value posRefund = Parse(BuildPosRefundRequest(c.posNo, last, c.posChannl));
        ASSERT_TRUE(posRefund.isObject());
        EXPECT_EQ(member(posRefund["param"], "PosNo"), c.posNo);
        EXPECT_EQ(member(posRefund["param"]["extra"], "poschannl"), opt(c.posRefundChannel));
        EXPECT_FALSE(posRefund["param"]["extra"].isMember("authCode"));
        EXPECT_EQ(posRefund["param"]["outChargeNo"].asString(), last);
        EXPECT_EQ(posRefund["param"]["withdrawMode"].asString(), "7");

        Json::Value ombrelia = Parse(BuildOmbreliaRefundRequest("", c.depositType, last));
        ASSERT_TRUE(ombrelia.isObject());
        EXPECT_EQ(member(ombrelia["param"], "depositType"), opt(c.ombreliaDeposit));
        for (const char* absent : {"refundType", "TKJYLX", "PosNo", "extra"})
            EXPECT_FALSE(ombrelia["param"].isMember(absent)) << absent;
        EXPECT_EQ(ombrelia["param"]["rechargeId"].asString(), "");
    }
}

TEST(Requests, OrderNumbersAreCzOrTkWithTheLocalTimeAndHex) {
    std::regex number("(CZ|TK)[0-9]{17}[0-9A-F]{3}");
    std::string last;
    BuildRechargeRequest("", "", "", last);
    EXPECT_TRUE(std::regex_match(last, number)) << last;
    EXPECT_EQ(last.substr(0, 2), "CZ");
    for (const std::string& text : {BuildRefundRequest(last), BuildPosRefundRequest("", last, ""),
                                    BuildOmbreliaRefundRequest("", "", last)}) {
        Json::Value root = Parse(text);
        std::string refundNo = root["param"]["outRefundNo"].asString();
        EXPECT_TRUE(std::regex_match(refundNo, number)) << refundNo;
        EXPECT_EQ(refundNo.substr(0, 2), "TK");
        EXPECT_EQ(root["param"]["outChargeNo"].asString(), last);
    }
}

TEST(Requests, EveryTextIsOneStrictJsonObjectOfStrings) {
    std::string last;
    const std::string texts[] = {
        BuildRechargeRequest("1", "ONE_QR", "云闪付", last),
        BuildOutpatientSettleRequest("a", "b", "c"),
        BuildTerminalCodeRequest(),
        BuildRefundRequest(last),
        BuildPosRefundRequest("1", last, "银联卡"),
        BuildBatchRefundRequest(),
        BuildOmbreliaRefundRequest("x", "ALI_QR", last),
        BuildWristbandCodeRequest(),
        BuildWristbandQueryRequest(),
        BuildWristbandCancelRequest(),
        BuildWristbandPrintRequest(),
        BuildSettlePushRequest(),
        BuildDrugPushRequest(),
    };
    std::function<void(const Json::Value&)> onlyStrings = [&](const Json::Value& v) {
        if (v.isObject()) {
            for (const auto& member : v) onlyStrings(member);
        } else {
            EXPECT_TRUE(v.isString());
        }
    };
    for (const std::string& text : texts) {
        Json::Value root = Parse(text);
        ASSERT_TRUE(root.isObject()) << text;
        onlyStrings(root);
        EXPECT_EQ(text.find_first_of("\r\t"), std::string::npos);
        EXPECT_TRUE(text.starts_with("{\n") && text.ends_with("\n}\n"));
    }
}

}  // namespace

#include "pages/requests.h"

#include <json/value.h>

#include <initializer_list>
#include <utility>

#include "common/fast_writer.h"
#include "common/unique_number.h"
#include "pages/page_table.h"

namespace {

using Members = std::initializer_list<std::pair<const char*, std::string>>;

void Set(Json::Value& object, Members members) {
    for (const auto& [key, value] : members) object[key] = value;
}

std::string Text(const Json::Value& root) { return FastWriter().write(root); }

// An envelope whose "param" holds fixed members.
std::string FixedRequest(const char* transType, Members param) {
    Json::Value root;
    root["transType"] = transType;
    Set(root["param"], param);
    return Text(root);
}

const char* const kOperatorName = "赵大山";
const char* const kUserName = "王小五";
const char* const kHospitalName = "测试医院";
const char* const kIdNo = "000000580101000";

// The members the three refunds of a charge share.
void SetRefundCore(Json::Value& root, const std::string& lastOutChargeNo, const char* withdrawMode,
                   const char* channelType) {
    root["transType"] = kTransRefund;
    Set(root["param"], {{"operatorId", "001"},
                        {"operatorName", kOperatorName},
                        {"cardType", "01"},
                        {"cardNo", "D12345678"},
                        {"accountType", "01"},
                        {"amount", "0.01"},
                        {"outChargeNo", lastOutChargeNo},
                        {"outRefundNo", "TK" + MakeUniqueNumber()},
                        {"hisCustId", "201"},
                        {"withdrawMode", withdrawMode},
                        {"channelType", channelType},
                        {"termNo", "012"},
                        {"idNo", kIdNo}});
}

void SetHospital(Json::Value& param) {
    Set(param["extra"], {{"hopid", "12345"}, {"hopname", kHospitalName}});
}

}  // namespace

std::string BuildRechargeRequest(const std::string& posNo, const std::string& depositType,
                                 const std::string& posChannl, std::string& lastOutChargeNo) {
    Json::Value root;
    root["transType"] = kTransRecharge;
    Json::Value& param = root["param"];
    Set(param, {{"operatorId", "001"},
                {"operatorName", kOperatorName},
                {"cardType", "01"},
                {"cardNo", "D12345678"},
                {"accountType", "01"},
                {"amount", "0.01"},
                {"outChargeNo", "CZ" + MakeUniqueNumber()},
                {"userName", kUserName},
                {"termNo", "012"},
                {"idNo", kIdNo},
                {"hisCustId", "201"},
                {"PosNo", posNo}});
    SetHospital(param);
    if (depositType != "ALL") param["depositType"] = depositType;
    if (posChannl == "银联卡") {
        param["extra"]["poschannl"] = "POS";
    } else if (posChannl == "云闪付") {
        param["extra"]["poschannl"] = "POS_UP";
        param["extra"]["authCode"] = "";
    }
    lastOutChargeNo = param["outChargeNo"].asString();
    return Text(root);
}

std::string BuildOutpatientSettleRequest(const std::string& serverAddr, const std::string& appId,
                                         const std::string& appSecret) {
    Json::Value root;
    root["transType"] = kTransOutpatientSettle;
    Set(root, {{"serveraddr", serverAddr}, {"appid", appId}, {"appsecret", appSecret}});
    Set(root["param"], {{"cardNo", "13000000000"}, {"idNo", kIdNo}});
    return Text(root);
}

std::string BuildTerminalCodeRequest() {
    return FixedRequest(kTransTerminalCode, {{"operatorId", "001"},
                                             {"operatorName", kOperatorName},
                                             {"amount", "0.01"},
                                             {"hisCustId", "201"},
                                             {"termNo", "012"},
                                             {"getCodeWay", "0"}});
}

std::string BuildRefundRequest(const std::string& lastOutChargeNo) {
    Json::Value root;
    SetRefundCore(root, lastOutChargeNo, "1", "");
    Set(root["param"], {{"refundType", "hisDecide"}, {"TKJYLX", "02"}, {"PosNo", "1"}});
    SetHospital(root["param"]);
    return Text(root);
}

std::string BuildPosRefundRequest(const std::string& posNo, const std::string& lastOutChargeNo,
                                  const std::string& posChannl) {
    Json::Value root;
    SetRefundCore(root, lastOutChargeNo, "7", "02");
    Json::Value& param = root["param"];
    Set(param,
        {{"userName", kUserName}, {"refundType", "hisDecide"}, {"TKJYLX", "02"}, {"PosNo", posNo}});
    SetHospital(param);
    if (posChannl == "银联卡")
        param["extra"]["poschannl"] = "POS";
    else if (posChannl == "云闪付")
        param["extra"]["poschannl"] = "POS_UP";
    return Text(root);
}

std::string BuildBatchRefundRequest() {
    return FixedRequest(kTransBatchRefund, {{"operatorId", "8008"},
                                            {"operatorName", "护士"},
                                            {"cardType", "05"},
                                            {"cardNo", "00363262"},
                                            {"accountType", "02"},
                                            {"amount", "10"},
                                            {"outChargeNo", ""},
                                            {"outRefundNo", "ZT20210125151033064"},
                                            {"hisCustId", "000440160000110IIv"},
                                            {"withdrawMode", "1"},
                                            {"channelType", ""},
                                            {"termNo", "A01"},
                                            {"idNo", ""},
                                            {"userName", "吴文华"},
                                            {"refundType", "prepareAndConfirm"}});
}

std::string BuildOmbreliaRefundRequest(const std::string& operatorId,
                                       const std::string& depositType,
                                       const std::string& lastOutChargeNo) {
    Json::Value root;
    SetRefundCore(root, lastOutChargeNo, "1", "");
    Json::Value& param = root["param"];
    Set(param, {{"rechargeId", operatorId}, {"hispaychannel", "OMBRPAY"}});
    if (depositType == "WX_QR" || depositType == "ALI_QR") param["depositType"] = depositType;
    return Text(root);
}

namespace {

const char* const kWristbandUser = "李四";
const char* const kSampleMobile = "13000000000";

std::string WristbandKeyRequest(const char* transType) {
    return FixedRequest(transType, {{"key", "2345654322"}});
}

}  // namespace

std::string BuildWristbandCodeRequest() {
    return FixedRequest(kTransWristbandCode, {{"accountType", "02"},
                                              {"cardNo", kSampleMobile},
                                              {"cardType", "03"},
                                              {"hospName", "示例人民医院"},
                                              {"idNo", "000000199001010000"},
                                              {"idType", "01"},
                                              {"operatorId", "wdf02"},
                                              {"operatorName", "腕带付"},
                                              {"userName", kWristbandUser}});
}

std::string BuildWristbandQueryRequest() { return WristbandKeyRequest(kTransWristbandQuery); }

std::string BuildWristbandCancelRequest() { return WristbandKeyRequest(kTransWristbandCancel); }

std::string BuildWristbandPrintRequest() {
    return FixedRequest(kTransWristbandPrint, {{"Url", std::string("http://") + kBackEndHost +
                                                           ":1301/quenla-web/shortUrl/k4WF8h"},
                                               {"age", "22"},
                                               {"appName", "示例市第一人民医院"},
                                               {"bedNumber", "3"},
                                               {"cardNo", kSampleMobile},
                                               {"inHospitalTime", "2021-02-09 "},
                                               {"office", "儿科"},
                                               {"sex", "男"},
                                               {"userName", kWristbandUser}});
}

namespace {

// The members both notices carry, value for value.
Members::value_type const kNoticeCommon[] = {
    {"applyDepaName", "门诊科"}, {"applyDoctorName", kOperatorName},
    {"cardNo", "D12345678"},     {"contactNumber", "1008611"},
    {"fee", "100.00"},           {"idNo", kIdNo},
    {"recipeNum", ""},           {"recipeTime", "20210730113006"},
    {"userName", kUserName},     {"userNo", "012"},
    {"voucherNo", "201115"},
};

std::string NoticeRequest(const char* transType, Members own) {
    Json::Value root;
    root["transType"] = transType;
    for (const auto& [key, value] : kNoticeCommon) root["param"][key] = value;
    Set(root["param"], own);
    return Text(root);
}

}  // namespace

std::string BuildSettlePushRequest() {
    return NoticeRequest(kTransSettlePush,
                         {{"accountType", "01"}, {"cardType", "01"}, {"feeType", "01"}});
}

std::string BuildDrugPushRequest() {
    return NoticeRequest(kTransDrugPush, {{"cancelDesc", ""},
                                          {"drugState", "succ"},
                                          {"drugWindown", "9 号"},
                                          {"first", "您的药品已经配发好，请及时到窗口排队领药品"},
                                          {"hisReceiptNo", "123450"},
                                          {"remark", "该处方已取药或已做检查"}});
}

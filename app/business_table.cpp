#include "app/business_table.h"

#include <algorithm>
#include <charconv>

#include "common/profile.h"
#include "pages/requests.h"

namespace {

using Inputs = const BusinessInputs&;
using Slot = std::string&;

constexpr Business kBusinesses[] = {
    {WM_PAGE_RECHARGE, BIZ_RECHARGE, 1010, "充值", "recharge", kTransRecharge,
     kNeedsPosNo | kNeedsDepositType | kNeedsPosChannl,
     [](Inputs in, Slot last) {
         return BuildRechargeRequest(in.posNo, in.depositType, in.posChannl, last);
     }},
    {WM_PAGE_RECHARGE, BIZ_OUTPATIENT_SETTLE, 1024, "诊间成码", "outpatient-settle",
     kTransOutpatientSettle, kNeedsRechargePage,
     [](Inputs in, Slot) {
         return BuildOutpatientSettleRequest(in.serverAddr, in.appId, in.appSecret);
     }},
    {WM_PAGE_RECHARGE, BIZ_QRCODE_GET, 1022, "终端取码", "terminal-code", kTransTerminalCode, 0,
     [](Inputs, Slot) { return BuildTerminalCodeRequest(); }},
    {WM_PAGE_REFUND, BIZ_REFUND, 1015, "退款", "refund", kTransRefund, 0,
     [](Inputs, Slot last) { return BuildRefundRequest(last); }},
    {WM_PAGE_REFUND, BIZ_POS_REFUND, 1016, "pos退款", "pos-refund", kTransRefund,
     kNeedsPosNo | kNeedsPosChannl,
     [](Inputs in, Slot last) { return BuildPosRefundRequest(in.posNo, last, in.posChannl); }},
    {WM_PAGE_REFUND, BIZ_BATCH_REFUND, 1017, "批量退款", "batch-refund", kTransBatchRefund, 0,
     [](Inputs, Slot) { return BuildBatchRefundRequest(); }},
    {WM_PAGE_REFUND, BIZ_OMBRELIA_REFUND, 1018, "Ombrelia退款", "ombrelia-refund", kTransRefund,
     kNeedsOperatorId | kNeedsDepositType,
     [](Inputs in, Slot last) {
         return BuildOmbreliaRefundRequest(in.operatorId, in.depositType, last);
     }},
    {WM_PAGE_WRISTBAND, BIZ_WB_GET_CODE, 1038, "生成腕带码", "wb-code", kTransWristbandCode, 0,
     [](Inputs, Slot) { return BuildWristbandCodeRequest(); }},
    {WM_PAGE_WRISTBAND, BIZ_WB_QUERY_ACCOUNT, 1040, "查询腕带账户", "wb-query",
     kTransWristbandQuery, 0, [](Inputs, Slot) { return BuildWristbandQueryRequest(); }},
    {WM_PAGE_WRISTBAND, BIZ_WB_CANCEL_QRCODE, 1041, "取消腕带", "wb-cancel", kTransWristbandCancel,
     0, [](Inputs, Slot) { return BuildWristbandCancelRequest(); }},
    {WM_PAGE_WRISTBAND, BIZ_WB_PRINT_QRCODE, 1042, "打印腕带", "wb-print", kTransWristbandPrint, 0,
     [](Inputs, Slot) { return BuildWristbandPrintRequest(); }},
    {WM_PAGE_PUSH, BIZ_MMPAY_MSG_PUSH, 1048, "待结算推送", "settle-push", kTransSettlePush, 0,
     [](Inputs, Slot) { return BuildSettlePushRequest(); }},
    {WM_PAGE_PUSH, BIZ_MMPAY_PUSH_DRUG, 1049, "取药状态推送", "drug-push", kTransDrugPush, 0,
     [](Inputs, Slot) { return BuildDrugPushRequest(); }},
};

}  // namespace

std::span<const Business> Businesses() { return kBusinesses; }

const Business* FindBusiness(int message, int subCode) {
    for (const Business& b : kBusinesses)
        if (b.message == message && b.subCode == subCode) return &b;
    return nullptr;
}

const Business* FindBusinessByName(std::string_view name) {
    int code = 0;
    auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), code);
    bool numeric = error == std::errc() && end == name.data() + name.size();
    for (const Business& b : kBusinesses)
        if (numeric ? b.subCode == code : name == b.name) return &b;
    return nullptr;
}

int PageOf(const Business& business) {
    auto page = std::find_if(kPages.begin(), kPages.end(), [&](const PageDefinition& p) {
        return p.message == business.message;
    });
    return static_cast<int>(page - kPages.begin());
}

BusinessInputs ReadBusinessInputs(const Business& business, const std::string* posChannl) {
    BusinessInputs in;
    if (business.inputs & kNeedsDepositType)
        in.depositType = ReadProfileValue(kToolIni, kSettingSection, "DepositType");
    if (business.inputs & kNeedsPosNo)
        in.posNo = ReadProfileValue(kToolIni, kSettingSection, "PosNo");
    if (business.inputs & kNeedsPosChannl)
        in.posChannl = posChannl != nullptr
                           ? *posChannl
                           : ReadProfileValue(kToolIni, kSettingSection, "PosChannl");
    if (business.inputs & kNeedsOperatorId)
        in.operatorId = ReadProfileValue(kLibraryIni, "DIVev", "OPERATORID");
    return in;
}

std::string ComposeBusiness(const Business& business, const BusinessInputs& inputs,
                            std::string& lastOutChargeNo) {
    return business.compose(inputs, lastOutChargeNo);
}

std::string ComposeRequest(const Business& business, const PageParameters& rechargePage,
                           std::string& lastOutChargeNo, const std::string* posChannl) {
    BusinessInputs inputs = ReadBusinessInputs(business, posChannl);
    if (business.inputs & kNeedsRechargePage) {
        inputs.serverAddr = rechargePage.serverAddr;
        inputs.appId = rechargePage.appId;
        inputs.appSecret = rechargePage.appSecret;
    }
    return ComposeBusiness(business, inputs, lastOutChargeNo);
}

const Business* BusinessRecomposedOn(int page) {
    if (page < 0 || page >= static_cast<int>(kPages.size())) return nullptr;
    const PageDefinition& definition = kPages[static_cast<std::size_t>(page)];
    return definition.posChannelBusiness != 0
               ? FindBusiness(definition.message, definition.posChannelBusiness)
               : nullptr;
}

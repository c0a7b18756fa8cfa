#pragma once

#include <string>

// The business codes ("transType") of the requests composed here.
inline constexpr const char* kTransRecharge = "hop.trade.recharge";
inline constexpr const char* kTransOutpatientSettle = "hop.outpatients.settle";
inline constexpr const char* kTransTerminalCode = "hop.qrcode.get";
inline constexpr const char* kTransRefund = "hop.trade.refund";
inline constexpr const char* kTransBatchRefund = "hop.trade.refund.batch";
inline constexpr const char* kTransWristbandCode = "portal.wb.getWristbandCode";
inline constexpr const char* kTransWristbandQuery = "portal.wb.queryAccount";
inline constexpr const char* kTransWristbandCancel = "portal.wb.cancelQrCode";
inline constexpr const char* kTransWristbandPrint = "portal.wb.printQrCode";
inline constexpr const char* kTransSettlePush = "hop.mmpay.msg.push";
inline constexpr const char* kTransDrugPush = "hop.mmpay.push.drug";

// The composers of every business request. Each returns the request text as FastWriter writes
// it; inputs are GBK texts used unchanged.

// Recharge page.
// Writes the new "CZ" charge number into `lastOutChargeNo`.
std::string BuildRechargeRequest(const std::string& posNo, const std::string& depositType,
                                 const std::string& posChannl, std::string& lastOutChargeNo);
// The recharge page's own server address, application id and secret go into the request.
std::string BuildOutpatientSettleRequest(const std::string& serverAddr, const std::string& appId,
                                         const std::string& appSecret);
std::string BuildTerminalCodeRequest();

// Refund page.
std::string BuildRefundRequest(const std::string& lastOutChargeNo);
std::string BuildPosRefundRequest(const std::string& posNo, const std::string& lastOutChargeNo,
                                  const std::string& posChannl);
std::string BuildBatchRefundRequest();
std::string BuildOmbreliaRefundRequest(const std::string& operatorId,
                                       const std::string& depositType,
                                       const std::string& lastOutChargeNo);

// Wristband page.
std::string BuildWristbandCodeRequest();
std::string BuildWristbandQueryRequest();
std::string BuildWristbandCancelRequest();
std::string BuildWristbandPrintRequest();

// Message-push page.
std::string BuildSettlePushRequest();
std::string BuildDrugPushRequest();

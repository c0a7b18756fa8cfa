#pragma once

#include <string>

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

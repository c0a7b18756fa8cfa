#include "sim/service.h"

#include <json/value.h>
#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <memory>
#include <regex>

#include "common/fast_writer.h"
#include "common/json_object.h"
#include "platform/local_clock.h"
#include "wire/signature.h"

namespace sim {

namespace {

// A refusal: an error code with its message, and the HTTP status it travels with.
struct Refusal {
    int status;
    const char* code;
    std::string message;
};

std::string Answer(const char* code, const std::string& message, const Json::Value& data = {}) {
    Json::Value root;
    root["code"] = code;
    root["msg"] = message;
    if (!data.isNull()) root["data"] = data;
    return FastWriter().write(root);
}

// A required string member of param, present and not empty.
std::string Required(const Json::Value& param, const char* key) {
    const Json::Value* v = param.find(key, key + std::strlen(key));
    if (v == nullptr || !v->isString())
        throw Refusal{200, "S107", std::string("缺少必填字段：") + key};
    if (v->asString().empty()) throw Refusal{200, "S107", std::string("必填字段为空：") + key};
    // A NUL would make a number look like its own prefix to anything that reads it as text.
    if (v->asString().find('\0') != std::string::npos)
        throw Refusal{200, "S109", std::string("字段含有NUL字符：") + key};
    return v->asString();
}

// "0.01" -> 1 cent; positive, at most two decimals.
std::int64_t Cents(const std::string& amount) {
    static const std::regex kAmount("([0-9]{1,9})(\\.([0-9]{1,2}))?");
    std::smatch m;
    if (!std::regex_match(amount, m, kAmount))
        throw Refusal{200, "S108", "金额格式错误：" + amount};
    std::string fraction = m[3].str();
    fraction.resize(2, '0');
    std::int64_t cents = std::stoll(m[1].str()) * 100 + std::stoll(fraction);
    if (cents <= 0) throw Refusal{200, "S108", "金额必须大于零：" + amount};
    return cents;
}

std::string RandomDigits(int n) {
    unsigned char bytes[16];
    RAND_bytes(bytes, sizeof bytes);
    std::string digits;
    for (int i = 0; i < n; ++i) digits += static_cast<char>('0' + bytes[i] % 10);
    return digits;
}

std::string PayCode(const std::string& channel, const std::string& outChargeNo,
                    const std::string& termNo) {
    std::string token = wire::MakeNonce().substr(0, 16);
    if (channel == "WX_QR") return "weixin://wxpay/bizpayurl?pr=" + token;
    if (channel == "ALI_QR") return "https://qr.alipay.com/" + token;
    if (channel == "UP_QR") return "https://qr.95516.com/" + token;
    if (channel == "ONE_BAR") return "BAR:" + outChargeNo;
    if (channel == "POS" || channel == "POS_UP") return "POS:" + termNo + ":" + outChargeNo;
    return "https://pay.quenla.test/qr/" + token;
}

class Businesses {
public:
    Businesses(Ledger& ledger, const std::string& body) : ledger_(ledger), body_(body) {}

    std::string Run(const std::string& transType, const Json::Value& root) {
        const Json::Value& param = root["param"];
        if (!param.isObject()) throw Refusal{200, "S107", "缺少必填字段：param"};
        if (transType == "hop.trade.recharge") return Recharge(param);
        if (transType == "hop.trade.refund") return Refund(param);
        if (transType.starts_with("portal.wb.")) return WristbandBusiness(transType, param);
        if (transType == "hop.trade.refund.batch" || transType == "hop.qrcode.get" ||
            transType == "hop.outpatients.settle" || transType == "hop.mmpay.msg.push" ||
            transType == "hop.mmpay.push.drug")
            return Recorded(transType, param);
        throw Refusal{400, "S106", "未知的业务类型：" + transType};
    }

private:
    std::string Recharge(const Json::Value& param) {
        Charge charge{Required(param, "outChargeNo"), Cents(Required(param, "amount")), {}, {}};
        charge.channel = StringMember(param, "depositType");
        if (charge.channel.empty()) charge.channel = StringMember(param["extra"], "poschannl");
        if (charge.channel.empty()) charge.channel = "ALL";
        if (ledger_.FindCharge(charge.outChargeNo))
            throw Refusal{200, "S201", "充值单号已存在：" + charge.outChargeNo};
        ledger_.AddCharge(charge, body_);
        Json::Value data;
        data["outChargeNo"] = charge.outChargeNo;
        data["amount"] = FormatCents(charge.amountCents);
        data["channel"] = charge.channel;
        data["payCode"] =
            PayCode(charge.channel, charge.outChargeNo, StringMember(param, "termNo"));
        return Answer("0", "充值下单成功", data);
    }

    std::string Refund(const Json::Value& param) {
        std::string outChargeNo = StringMember(param, "outChargeNo");
        if (outChargeNo.empty()) throw Refusal{200, "S202", "原充值单号为空，无法退款"};
        if (outChargeNo.find('\0') != std::string::npos)
            throw Refusal{200, "S109", "字段含有NUL字符：outChargeNo"};
        std::string outRefundNo = Required(param, "outRefundNo");
        std::int64_t cents = Cents(Required(param, "amount"));
        if (auto earlier = ledger_.FindRefund(outRefundNo)) {
            // The same refund again: its first answer, and nothing changes. The number reused
            // for another charge or amount: refused, so that it cannot pass for a retry.
            if (earlier->outChargeNo == outChargeNo && earlier->amountCents == cents)
                return earlier->answer;
            throw Refusal{200, "S204",
                          "退款单号已用于另一笔退款（原充值单 " + earlier->outChargeNo + "，金额 " +
                              FormatCents(earlier->amountCents) + "）：" + outRefundNo};
        }
        auto charge = ledger_.FindCharge(outChargeNo);
        if (!charge) throw Refusal{200, "S202", "原充值单不存在：" + outChargeNo};
        std::int64_t refunded = ledger_.RefundedCents(outChargeNo);
        if (refunded + cents > charge->amountCents)
            throw Refusal{
                200, "S203",
                "退款金额超过可退金额：可退 " + FormatCents(charge->amountCents - refunded)};
        Json::Value data;
        data["outChargeNo"] = outChargeNo;
        data["outRefundNo"] = outRefundNo;
        data["refundAmount"] = FormatCents(cents);
        data["refundable"] = FormatCents(charge->amountCents - refunded - cents);
        sim::Refund refund{outRefundNo, outChargeNo, cents, {}, Answer("0", "退款成功", data)};
        ledger_.AddRefund(refund, body_);
        return refund.answer;
    }

    std::string WristbandBusiness(const std::string& transType, const Json::Value& param) {
        if (transType == "portal.wb.getWristbandCode") {
            std::string cardNo = Required(param, "cardNo");
            std::string userName = Required(param, "userName");
            auto band = ledger_.ActiveWristbandOf(cardNo);
            if (!band) {
                std::string key;
                do key = RandomDigits(10);
                while (ledger_.FindWristband(key));
                band = Wristband{key, "WB" + key, cardNo, userName, "active", 0};
                ledger_.SaveWristband(*band);
            }
            return Answer("0", "腕带码已生成", Describe(*band));
        }
        if (transType != "portal.wb.queryAccount" && transType != "portal.wb.cancelQrCode" &&
            transType != "portal.wb.printQrCode")
            throw Refusal{400, "S106", "未知的业务类型：" + transType};

        std::optional<Wristband> band;
        std::string key = StringMember(param, "key");
        if (transType == "portal.wb.printQrCode" && key.empty())
            band = ledger_.ActiveWristbandOf(Required(param, "cardNo"));
        else
            band = ledger_.FindWristband(Required(param, "key"));
        if (!band) throw Refusal{200, "S204", "腕带账户不存在"};

        if (transType == "portal.wb.cancelQrCode") {
            if (band->status == "cancelled") throw Refusal{200, "S205", "腕带已取消：" + band->key};
            band->status = "cancelled";
            ledger_.SaveWristband(*band);
            return Answer("0", "腕带已取消", Describe(*band));
        }
        if (transType == "portal.wb.printQrCode") {
            if (band->status == "cancelled") throw Refusal{200, "S205", "腕带已取消：" + band->key};
            ++band->prints;
            ledger_.SaveWristband(*band);
            return Answer("0", "腕带已送打印", Describe(*band));
        }
        return Answer("0", "查询成功", Describe(*band));
    }

    static Json::Value Describe(const Wristband& band) {
        Json::Value data;
        data["key"] = band.key;
        data["code"] = band.code;
        data["cardNo"] = band.cardNo;
        data["userName"] = band.userName;
        data["status"] = band.status;
        data["prints"] = std::to_string(band.prints);
        return data;
    }

    std::string Recorded(const std::string& transType, const Json::Value& param) {
        Json::Value data;
        if (transType == "hop.qrcode.get") {
            data["qrCode"] = "https://pay.quenla.test/t/" + wire::MakeNonce().substr(0, 16);
            data["amount"] = FormatCents(Cents(Required(param, "amount")));
        } else if (transType == "hop.outpatients.settle") {
            data["settleCode"] = "https://pay.quenla.test/s/" + wire::MakeNonce().substr(0, 16);
        } else if (transType == "hop.trade.refund.batch") {
            data["outRefundNo"] = StringMember(param, "outRefundNo");
            data["accepted"] = "1";
        } else {
            data["cardNo"] = StringMember(param, "cardNo");
        }
        ledger_.Record(transType, body_);
        return Answer("0", "已受理", data);
    }

    Ledger& ledger_;
    const std::string& body_;
};

}  // namespace

Service::Service(Ledger& ledger, std::map<std::string, std::string> secrets, Clock clock)
    : ledger_(ledger), secrets_(std::move(secrets)), clock_(clock ? std::move(clock) : Clock([] {
          return static_cast<std::int64_t>(platform::UnixMs());
      })) {}

HttpAnswer Service::Handle(const Signed& h, const std::string& body) {
    try {
        for (auto [name, value] : {std::pair{"X-App-Id", &h.appId},
                                   {"X-Timestamp", &h.timestamp},
                                   {"X-Nonce", &h.nonce},
                                   {"X-Signature", &h.signature}})
            if (value->empty()) throw Refusal{400, "S100", std::string("缺少请求头：") + name};
        auto app = secrets_.find(h.appId);
        if (app == secrets_.end()) throw Refusal{401, "S101", "未知的应用：" + h.appId};
        std::int64_t now = clock_();
        std::int64_t sent = 0;
        try {
            sent = std::stoll(h.timestamp);
        } catch (...) {
            throw Refusal{401, "S103", "时间戳无效：" + h.timestamp};
        }
        if (sent < now - kWindowMs || sent > now + kWindowMs)
            throw Refusal{401, "S103", "时间戳不在5分钟之内"};
        std::string expected = wire::Sign(app->second, h.appId, h.timestamp, h.nonce, body);
        if (expected.size() != h.signature.size() ||
            CRYPTO_memcmp(expected.data(), h.signature.data(), expected.size()) != 0)
            throw Refusal{401, "S102", "签名错误"};

        return ledger_.Transaction([&]() -> HttpAnswer {
            if (!ledger_.RememberNonce(h.appId, h.nonce, now))
                return {409, Answer("S104", "重复的请求：nonce已使用")};
            Json::Value root = ParseJsonObject(body);
            if (root.isNull()) return {400, Answer("S105", "请求不是JSON对象")};
            const Json::Value& type = root["transType"];
            if (!type.isString() || type.asString().empty())
                return {400, Answer("S107", "缺少必填字段：transType")};
            try {
                return {200, Businesses(ledger_, body).Run(type.asString(), root)};
            } catch (const Refusal& r) {
                // A refused business keeps the nonce and changes nothing else.
                return {r.status, Answer(r.code, r.message)};
            }
        });
    } catch (const Refusal& r) {
        return {r.status, Answer(r.code, r.message)};
    } catch (const std::exception& e) {
        return {500, Answer("S500", std::string("内部错误：") + e.what())};
    }
}

}  // namespace sim

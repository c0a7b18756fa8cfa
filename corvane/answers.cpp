#include "corvane/answers.h"

#include <json/value.h>

#include "common/fast_writer.h"

namespace corvane {

namespace {

struct Entry {
    const char* code;
    const char* message;  // GBK
};

constexpr Entry kEntries[] = {
    {"E001", "尚未设置支付后台地址和应用参数"},
    {"E002", "请求不是含字符串transType的JSON对象，未发送"},
    {"E003", "无法连接支付后台"},
    {"E004", "找不到支付后台主机"},
    {"E005", "与支付后台的TLS握手失败"},
    {"E006", "支付后台应答超时"},
    {"E007", "支付后台返回HTTP错误"},
    {"E008", "支付后台的应答超过缓冲区上限，已拒收"},
    {"E009", "与支付后台通讯失败"},
    {"E010", "支付库内部错误"},
    {"E011", "支付后台地址只能以 http:// 或 https:// 开头，未发送"},
};

std::string Answer(const char* code, std::string message) {
    Json::Value root;
    root["code"] = code;
    root["msg"] = std::move(message);
    return FastWriter().write(root);
}

}  // namespace

const char* CodeOf(Failure failure) { return kEntries[static_cast<int>(failure)].code; }

std::string FailureAnswer(Failure failure, std::string_view detail) {
    const Entry& e = kEntries[static_cast<int>(failure)];
    std::string message = e.message;
    if (!detail.empty()) message.append("：").append(detail);
    return Answer(e.code, std::move(message));
}

std::string SettingsKeptAnswer() { return Answer("0", "支付后台参数已设置"); }

}  // namespace corvane

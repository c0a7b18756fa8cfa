#include "corvane/client.h"

#include <json/value.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "common/fast_writer.h"
#include "common/json_object.h"
#include "common/pay_contract.h"
#include "common/profile.h"
#include "corvane/answers.h"
#include "platform/dbcs.h"
#include "platform/local_clock.h"
#include "platform/net/http_client.h"
#include "platform/private_profile.h"
#include "wire/signature.h"

namespace corvane {

namespace {

std::string Setting(const platform::ProfileSnapshot& ini, const char* key) {
    return std::string(ini.Find(kSettingSection, key).value_or(""));
}

// A timeout from the library's ini in whole seconds, 1 to 600; anything else (overflowing
// numbers included) takes the default, and `notes` says so for the log.
long TimeoutMs(const platform::ProfileSnapshot& ini, const char* key, long defaultSeconds,
               std::string& notes) {
    constexpr long kMaxSeconds = 600;
    std::string value = Setting(ini, key);
    if (value.empty()) return defaultSeconds * 1000;
    long seconds = 0;
    bool usable = value.size() <= 3;
    for (char c : value) {
        usable = usable && c >= '0' && c <= '9';
        if (usable) seconds = seconds * 10 + (c - '0');
    }
    if (!usable || seconds < 1 || seconds > kMaxSeconds) {
        notes.append(" ").append(key).append("=").append(value).append(
            " unusable (whole seconds from 1 to 600): " + std::to_string(defaultSeconds) +
            " s used");
        seconds = defaultSeconds;
    }
    return seconds * 1000;
}

// Only http and https: another scheme (file://, ftp://, ...) would turn the library into a
// reader of whatever that address names.
bool IsHttpAddress(std::string_view address) {
    auto starts = [&](std::string_view prefix) {
        if (address.size() < prefix.size()) return false;
        for (std::size_t i = 0; i < prefix.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(address[i])) != prefix[i]) return false;
        return true;
    };
    return starts("http://") || starts("https://");
}

std::string Options(const platform::ProfileSnapshot& ini) {
    std::string options;
    for (const char* key : {"NOEXSCREENFLAG", "NORECHARGEDESKFLAG", "REFUNDDESK"}) {
        if (!options.empty()) options += ' ';
        options.append(key).append("=").append(Setting(ini, key));
    }
    return options;
}

}  // namespace

Client::Client(std::string logFolder) : log_(std::move(logFolder)) {}

Client::~Client() = default;

std::string Client::Handle(std::string_view request) {
    long long start = platform::MonotonicMs();
    LogEntry entry;
    entry.request = std::string(request);
    // The library's ini, read once for this request.
    platform::ProfileSnapshot ini(kLibraryIni);
    entry.options = Options(ini);
    std::vector<std::string> secrets;
    std::string answer;

    Json::Value root = ParseJsonObject(request);
    const Json::Value* type = root.isObject() ? root.find("transType", "transType" + 9) : nullptr;
    Settings settings;
    {
        std::lock_guard lock(mutex_);
        settings = settings_;
        secrets = pushedSecrets_;
    }
    if (type == nullptr || !type->isString()) {
        answer = FailureAnswer(Failure::NotJson);
        entry.outcome = CodeOf(Failure::NotJson);
    } else {
        entry.transType = type->asString();
        // A request may carry a secret of its own.
        secrets.push_back(StringMember(root, "appsecret"));
        secrets.push_back(StringMember(root["param"], "appsecret"));
        if (entry.transType == kSettingsPushType) {
            const Json::Value& param = root["param"];
            std::string secret = StringMember(param, "appsecret");
            {
                std::lock_guard lock(mutex_);
                settings_ = {StringMember(param, "serveraddr"), StringMember(param, "appid"),
                             secret};
                // Every secret this process was handed stays masked in the log.
                if (!secret.empty() && std::find(pushedSecrets_.begin(), pushedSecrets_.end(),
                                                 secret) == pushedSecrets_.end())
                    pushedSecrets_.push_back(secret);
            }
            // The push is logged without its secret.
            Json::Value logged = root;
            if (logged["param"].isObject() && logged["param"].isMember("appsecret"))
                logged["param"]["appsecret"] = "******";
            entry.request = FastWriter().write(logged);
            answer = SettingsKeptAnswer();
            entry.outcome = "ok";
        } else if (settings.serverAddr.empty()) {
            answer = FailureAnswer(Failure::NoSettings);
            entry.outcome = CodeOf(Failure::NoSettings);
        } else if (!IsHttpAddress(settings.serverAddr)) {
            answer = FailureAnswer(Failure::BadAddress);
            entry.outcome = CodeOf(Failure::BadAddress);
        } else {
            long connectMs = TimeoutMs(ini, "CONNECTTIMEOUT", 5, entry.options);
            long totalMs = TimeoutMs(ini, "TIMEOUT", 30, entry.options);
            answer = Post(settings, request, connectMs, totalMs, entry.outcome);
        }
    }
    entry.answer = answer;
    entry.durationMs = platform::MonotonicMs() - start;
    log_.Write(entry, secrets);
    return answer;
}

std::string Client::Post(const Settings& settings, std::string_view body, long connectMs,
                         long totalMs, std::string& outcome) {
    std::string timestamp = std::to_string(platform::UnixMs());
    std::string nonce = wire::MakeNonce();
    std::string signature = wire::Sign(settings.appSecret, settings.appId, timestamp, nonce, body);

    platform::HttpReply reply =
        http_.Post(settings.serverAddr,
                   {"Content-Type: application/json; charset=GBK", "X-App-Id: " + settings.appId,
                    "X-Timestamp: " + timestamp, "X-Nonce: " + nonce, "X-Signature: " + signature},
                   body, connectMs, totalMs, kMaxAnswerLength);

    auto fail = [&](Failure failure, std::string detail) {
        outcome = CodeOf(failure);
        return FailureAnswer(failure, detail);
    };
    switch (reply.error) {
        case platform::HttpReply::None:
            break;
        case platform::HttpReply::TooLarge:
            return fail(Failure::TooLarge,
                        "more than " + std::to_string(kMaxAnswerLength) + " bytes");
        case platform::HttpReply::Refused:
            return fail(Failure::Refused, reply.reason);
        case platform::HttpReply::HostNotFound:
            return fail(Failure::HostNotFound, reply.reason);
        case platform::HttpReply::Timeout:
            return fail(Failure::Timeout, reply.reason);
        case platform::HttpReply::Tls:
            return fail(Failure::Tls, reply.reason);
        case platform::HttpReply::Transport:
            return fail(Failure::Transport, reply.reason);
    }
    long status = reply.status;
    if (status != 200)
        return fail(Failure::HttpStatus, "HTTP " + std::to_string(status) + " " +
                                             std::string(platform::CutGbk(reply.body, 200)));
    outcome = "ok";
    return std::move(reply.body);
}

}  // namespace corvane

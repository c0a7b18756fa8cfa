#include "corvane/client.h"

#include <curl/curl.h>
#include <json/value.h>

#include <algorithm>
#include <cstring>

#include "common/json_object.h"
#include "common/pay_contract.h"
#include "common/profile.h"
#include "corvane/answers.h"
#include "platform/dbcs.h"
#include "platform/local_clock.h"
#include "platform/private_profile.h"
#include "wire/signature.h"

namespace corvane {

namespace {

std::string Setting(const platform::ProfileSnapshot& ini, const char* key) {
    return std::string(ini.Find(kSettingSection, key).value_or(""));
}

long TimeoutMs(const platform::ProfileSnapshot& ini, const char* key, long defaultSeconds) {
    std::string value = Setting(ini, key);
    char* end = nullptr;
    long seconds = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || seconds <= 0) seconds = defaultSeconds;
    return seconds * 1000;
}

std::string Options(const platform::ProfileSnapshot& ini) {
    std::string options;
    for (const char* key : {"NOEXSCREENFLAG", "NORECHARGEDESKFLAG", "REFUNDDESK"}) {
        if (!options.empty()) options += ' ';
        options.append(key).append("=").append(Setting(ini, key));
    }
    return options;
}

struct Received {
    std::string body;
    std::size_t limit;
    bool tooLarge = false;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* r = static_cast<Received*>(user);
    std::size_t n = size * count;
    if (r->body.size() + n > r->limit) {
        r->tooLarge = true;
        return 0;  // stops the transfer
    }
    r->body.append(data, n);
    return n;
}

}  // namespace

// Easy handles kept between calls, so that their connections are reused.
class Client::CurlPool {
public:
    CurlPool() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlPool() {
        for (CURL* h : free_) curl_easy_cleanup(h);
    }
    CURL* Take() {
        std::lock_guard lock(mutex_);
        if (free_.empty()) return curl_easy_init();
        CURL* h = free_.back();
        free_.pop_back();
        return h;
    }
    void Give(CURL* h) {
        std::lock_guard lock(mutex_);
        free_.push_back(h);
    }

private:
    std::mutex mutex_;
    std::vector<CURL*> free_;
};

Client::Client(std::string logFolder)
    : curl_(std::make_unique<CurlPool>()), log_(std::move(logFolder)) {}

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
        secrets.push_back(settings_.appSecret);
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
            std::lock_guard lock(mutex_);
            settings_ = {StringMember(param, "serveraddr"), StringMember(param, "appid"),
                         StringMember(param, "appsecret")};
            answer = SettingsKeptAnswer();
            entry.outcome = "ok";
        } else if (settings.serverAddr.empty()) {
            answer = FailureAnswer(Failure::NoSettings);
            entry.outcome = CodeOf(Failure::NoSettings);
        } else {
            answer = Post(settings, request, ini, entry.outcome);
        }
    }
    entry.answer = answer;
    entry.durationMs = platform::MonotonicMs() - start;
    log_.Write(entry, secrets);
    return answer;
}

std::string Client::Post(const Settings& settings, std::string_view body,
                         const platform::ProfileSnapshot& ini, std::string& outcome) {
    std::string timestamp = std::to_string(platform::UnixMs());
    std::string nonce = wire::MakeNonce();
    std::string signature = wire::Sign(settings.appSecret, settings.appId, timestamp, nonce, body);

    curl_slist* headers = nullptr;
    for (const std::string& h :
         {std::string("Content-Type: application/json; charset=GBK"), "X-App-Id: " + settings.appId,
          "X-Timestamp: " + timestamp, "X-Nonce: " + nonce, "X-Signature: " + signature,
          std::string("Expect:")})
        headers = curl_slist_append(headers, h.c_str());

    Received received{{}, kMaxAnswerLength};
    char error[CURL_ERROR_SIZE] = {};
    CURL* h = curl_->Take();
    curl_easy_reset(h);
    curl_easy_setopt(h, CURLOPT_URL, settings.serverAddr.c_str());
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &received);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, TimeoutMs(ini, "CONNECTTIMEOUT", 5));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, TimeoutMs(ini, "TIMEOUT", 30));
    CURLcode rc = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
    curl_->Give(h);
    curl_slist_free_all(headers);

    auto fail = [&](Failure failure, std::string detail) {
        outcome = CodeOf(failure);
        return FailureAnswer(failure, detail);
    };
    std::string reason = error[0] != '\0' ? error : curl_easy_strerror(rc);
    if (received.tooLarge)
        return fail(Failure::TooLarge, "more than " + std::to_string(received.limit) + " bytes");
    switch (rc) {
        case CURLE_OK:
            break;
        case CURLE_COULDNT_CONNECT:
            return fail(Failure::Refused, reason);
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return fail(Failure::HostNotFound, reason);
        case CURLE_OPERATION_TIMEDOUT:
            return fail(Failure::Timeout, reason);
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
            return fail(Failure::Tls, reason);
        default:
            return fail(Failure::Transport, reason);
    }
    if (status != 200)
        return fail(Failure::HttpStatus, "HTTP " + std::to_string(status) + " " +
                                             std::string(platform::CutGbk(received.body, 200)));
    outcome = "ok";
    return std::move(received.body);
}

}  // namespace corvane

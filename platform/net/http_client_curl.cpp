#include <curl/curl.h>

#include <mutex>

#include "platform/net/http_client.h"

namespace platform {

namespace {

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
struct HttpClient::Impl {
    Impl() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~Impl() {
        for (CURL* h : free) curl_easy_cleanup(h);
    }
    CURL* Take() {
        std::lock_guard lock(mutex);
        if (free.empty()) return curl_easy_init();
        CURL* h = free.back();
        free.pop_back();
        return h;
    }
    void Give(CURL* h) {
        std::lock_guard lock(mutex);
        free.push_back(h);
    }

    std::mutex mutex;
    std::vector<CURL*> free;
};

HttpClient::HttpClient() : impl_(std::make_unique<Impl>()) {}

HttpClient::~HttpClient() = default;

HttpReply HttpClient::Post(const std::string& url, const std::vector<std::string>& headers,
                           std::string_view body, long connectTimeoutMs, long timeoutMs,
                           std::size_t maxBody) {
    curl_slist* list = nullptr;
    for (const std::string& h : headers) list = curl_slist_append(list, h.c_str());
    list = curl_slist_append(list, "Expect:");

    Received received{{}, maxBody};
    char error[CURL_ERROR_SIZE] = {};
    CURL* h = impl_->Take();
    curl_easy_reset(h);
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &received);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, timeoutMs);
    CURLcode rc = curl_easy_perform(h);
    HttpReply reply;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
    impl_->Give(h);
    curl_slist_free_all(list);

    reply.reason = error[0] != '\0' ? error : curl_easy_strerror(rc);
    if (received.tooLarge) {
        reply.error = HttpReply::TooLarge;
        return reply;
    }
    switch (rc) {
        case CURLE_OK:
            reply.reason.clear();
            reply.body = std::move(received.body);
            break;
        case CURLE_COULDNT_CONNECT:
            reply.error = HttpReply::Refused;
            break;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            reply.error = HttpReply::HostNotFound;
            break;
        case CURLE_OPERATION_TIMEDOUT:
            reply.error = HttpReply::Timeout;
            break;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
            reply.error = HttpReply::Tls;
            break;
        default:
            reply.error = HttpReply::Transport;
            break;
    }
    return reply;
}

}  // namespace platform

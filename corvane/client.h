#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "corvane/transaction_log.h"
#include "platform/net/http_client.h"

namespace corvane {

// What the payment library does behind payTrans: it keeps the settings pushed to it and posts
// every other request, signed, to the back end. Safe to call from several threads.
class Client {
public:
    explicit Client(std::string logFolder);
    ~Client();

    // The answer to one request.
    std::string Handle(std::string_view request);

private:
    struct Settings {
        std::string serverAddr;
        std::string appId;
        std::string appSecret;
    };

    std::string Post(const Settings& settings, std::string_view body, long connectMs, long totalMs,
                     std::string& outcome);

    std::mutex mutex_;
    Settings settings_;
    std::vector<std::string> pushedSecrets_;
    platform::HttpClient http_;
    TransactionLog log_;
};

}  // namespace corvane

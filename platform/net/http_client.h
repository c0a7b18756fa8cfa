#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What became of one HTTP POST.
struct HttpReply {
    enum Error { None, Refused, HostNotFound, Timeout, Tls, TooLarge, Transport } error = None;
    long status = 0;     // the HTTP status, when an answer came
    std::string body;    // at most the limit the call set
    std::string reason;  // the transport's own words for an error
};

// An HTTP client that keeps its connections between calls: libcurl on Linux, WinHTTP on
// Windows. Safe to use from several threads.
class HttpClient {
public:
    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // POSTs `body` with `headers` ("Name: value") to `url`; a body longer than `maxBody` ends
    // the transfer as TooLarge.
    HttpReply Post(const std::string& url, const std::vector<std::string>& headers,
                   std::string_view body, long connectTimeoutMs, long timeoutMs,
                   std::size_t maxBody);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform

// windows.h first: the other Windows headers need it.
#include <windows.h>

#include <winhttp.h>

#include "platform/net/http_client.h"
#include "platform/wide_path_win32.h"

namespace platform {

namespace {

HttpReply::Error Classify(DWORD code) {
    switch (code) {
        case ERROR_WINHTTP_CANNOT_CONNECT:
        case ERROR_WINHTTP_CONNECTION_ERROR:
            return HttpReply::Refused;
        case ERROR_WINHTTP_NAME_NOT_RESOLVED:
            return HttpReply::HostNotFound;
        case ERROR_WINHTTP_TIMEOUT:
            return HttpReply::Timeout;
        case ERROR_WINHTTP_SECURE_FAILURE:
            return HttpReply::Tls;
        default:
            return HttpReply::Transport;
    }
}

struct Handle {
    HINTERNET h = nullptr;
    ~Handle() {
        if (h != nullptr) ::WinHttpCloseHandle(h);
    }
};

}  // namespace

// One session for the library's life; WinHTTP keeps its connections.
struct HttpClient::Impl {
    Handle session;
};

HttpClient::HttpClient() : impl_(std::make_unique<Impl>()) {
    impl_->session.h = ::WinHttpOpen(L"corvane", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
}

HttpClient::~HttpClient() = default;

HttpReply HttpClient::Post(const std::string& url, const std::vector<std::string>& headers,
                           std::string_view body, long connectTimeoutMs, long timeoutMs,
                           std::size_t maxBody) {
    HttpReply reply;
    auto fail = [&](DWORD code) {
        reply.error = Classify(code);
        reply.reason = SystemMessage(code);
        return reply;
    };
    if (impl_->session.h == nullptr) return fail(::GetLastError());

    std::wstring wideUrl = Widen(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts)) return fail(::GetLastError());
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    Handle connection{::WinHttpConnect(impl_->session.h, host.c_str(), parts.nPort, 0)};
    if (connection.h == nullptr) return fail(::GetLastError());
    DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    Handle request{::WinHttpOpenRequest(connection.h, L"POST", path.c_str(), nullptr,
                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags)};
    if (request.h == nullptr) return fail(::GetLastError());
    ::WinHttpSetTimeouts(request.h, static_cast<int>(connectTimeoutMs),
                         static_cast<int>(connectTimeoutMs), static_cast<int>(timeoutMs),
                         static_cast<int>(timeoutMs));

    std::wstring headerText;
    for (const std::string& h : headers) headerText += Widen(h) + L"\r\n";
    if (!::WinHttpSendRequest(request.h, headerText.c_str(), static_cast<DWORD>(-1L),
                              const_cast<char*>(body.data()), static_cast<DWORD>(body.size()),
                              static_cast<DWORD>(body.size()), 0) ||
        !::WinHttpReceiveResponse(request.h, nullptr))
        return fail(::GetLastError());

    DWORD status = 0, size = sizeof status;
    ::WinHttpQueryHeaders(request.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    reply.status = static_cast<long>(status);
    char chunk[65536];
    for (;;) {
        DWORD n = 0;
        if (!::WinHttpReadData(request.h, chunk, sizeof chunk, &n)) return fail(::GetLastError());
        if (n == 0) break;
        if (reply.body.size() + n > maxBody) {
            reply.body.clear();
            reply.error = HttpReply::TooLarge;
            return reply;
        }
        reply.body.append(chunk, n);
    }
    return reply;
}

}  // namespace platform

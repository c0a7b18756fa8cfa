#include "bridge/pay_library.h"

#include <json/value.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "common/fast_writer.h"
#include "common/profile.h"
#include "platform/executable_path.h"
#include "platform/process.h"
#include "platform/text_codec.h"

namespace {

// Loading under Wine may first have to create its prefix.
constexpr int kHelloTimeoutMs = 60000;

std::unique_ptr<char[]> AllocateBuffer(std::size_t size) {
    return std::unique_ptr<char[]>(new (std::nothrow) char[size]);
}

std::string Format(const char* format, auto... args) {
    int n = std::snprintf(nullptr, 0, format, args...);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

// The answer up to its first NUL; without one, what fits the buffer with a NUL.
std::string UpToNul(const char* buffer, std::size_t size) {
    const void* end = std::memchr(buffer, '\0', size);
    return std::string(buffer, end != nullptr ? static_cast<const char*>(end) - buffer : size - 1);
}

// What the response pane says when the library gave no answer.
std::string HostFailureNotice(const HostCall& call, bool push) {
    const char* when = push ? "设置推送" : "交易请求";
    std::string what;
    switch (call.outcome) {
        case HostCall::Crashed:
            if (call.windowsException)
                what = Format("支付库在%s时崩溃（异常代码 0x%08X），没有应答。", when, call.code);
            else
                what = Format("支付库在%s时崩溃（信号 %u %s），没有应答。", when, call.code,
                              platform::SignalName(static_cast<int>(call.code)).c_str());
            break;
        case HostCall::Exited:
            what =
                Format("支付库在%s时结束了它所在的进程（退出码 %u），没有应答。", when, call.code);
            break;
        case HostCall::Abandoned:
            what = Format("已放弃等待：支付库在%s时 %ld 秒没有应答，已结束它所在的进程。", when,
                          call.waitedMs / 1000);
            break;
        default:
            what = Format("支付库在%s时给出了无法识别的应答，已结束它所在的进程。", when);
            break;
    }
    return what + (push ? "交易请求没有发送。下次点击会重新启动支付库。"
                        : "请求可能已经到达支付后台，工具不会自动重发。下次点击会重新启动支付库。");
}

}  // namespace

std::string BuildSettingsPushRequest() {
    Json::Value root;
    root["transType"] = kSettingsPushType;
    root["param"]["serveraddr"] = ReadProfileValue(kToolIni, kSettingSection, "url");
    root["param"]["appid"] = ReadProfileValue(kToolIni, kSettingSection, "appid");
    root["param"]["appsecret"] = ReadProfileValue(kToolIni, kSettingSection, "appkey");
    return FastWriter().write(root);
}

std::string DefaultPayLibraryPath() {
    std::string folder = platform::ExecutableFolder();
    std::string windows = folder + "dll/corvane.dll";
    if (KindOfLibrary(windows) != LibraryKind::Missing) return windows;
    return folder + platform::PayLibraryRelativePath();
}

CPayLibrary::CPayLibrary(LoadNotifier notifier, LibraryMode mode)
    : m_mode(mode), m_notify(std::move(notifier)), m_allocate(&AllocateBuffer) {}

CPayLibrary::~CPayLibrary() {
    if (m_hModule != nullptr) {
        platform::CloseLibrary(m_hModule);
        m_hModule = nullptr;
    }
}

bool CPayLibrary::Load() { return LoadFrom(DefaultPayLibraryPath()); }

void CPayLibrary::ReportLoadFailure(int code, const std::string& detail) {
    if (m_notify) m_notify(LoadFailure{code, Format("库加载失败%d", code), detail, m_path});
}

bool CPayLibrary::LoadFrom(const std::string& path) {
    m_path = path;
    if (m_mode == LibraryMode::InProcess) {
        platform::LibraryError error;
        m_hModule = platform::OpenLibrary(path, error);
        if (m_hModule == nullptr) {
            ReportLoadFailure(error.code, error.reason);
            return false;
        }
        m_pfnPayTrans =
            reinterpret_cast<PayTransEntry>(platform::FindSymbol(m_hModule, kPayTransName));
        if (m_pfnPayTrans == nullptr) {
            platform::CloseLibrary(m_hModule);
            m_hModule = nullptr;
            return false;
        }
        m_loaded = true;
        return true;
    }

    switch (KindOfLibrary(path)) {
        case LibraryKind::Missing:
            TakePrestartedPayHost({});
            ReportLoadFailure(126, path + ": No such file");
            return false;
        case LibraryKind::Other:
            TakePrestartedPayHost({});
            ReportLoadFailure(193, path + ": not a library (neither ELF nor a Windows DLL)");
            return false;
        default:
            break;
    }
    HostFailure failure;
    m_host = StartHost(failure);
    if (!m_host) {
        if (!failure.noEntry) ReportLoadFailure(failure.code, failure.detail);
        return false;
    }
    m_loaded = true;
    return true;
}

std::unique_ptr<PayHost> CPayLibrary::StartHost(HostFailure& failure) {
    std::string error;
    int code = 0;
    std::unique_ptr<PayHost> host = TakePrestartedPayHost(m_path);
    if (!host) host = PayHost::Start(m_path, error, code);
    if (!host) {
        failure = {code, "cannot start the library's host: " + error, false};
        return nullptr;
    }
    HostHello hello = host->AwaitHello(kHelloTimeoutMs);
    if (hello.status == HostHello::Loaded) return host;
    failure = {hello.code, hello.detail, hello.status == HostHello::NoEntry};
    return nullptr;
}

bool CPayLibrary::EnsureHost(std::string& notice) {
    if (m_host) return true;
    HostFailure failure;
    m_host = StartHost(failure);
    if (m_host) return true;
    notice = failure.noEntry
                 ? std::string("支付库重新加载后没有 payTrans 入口。请求没有发送。")
                 : Format("支付库无法重新加载（库加载失败%d）：%s。请求没有发送。", failure.code,
                          platform::FileNameToGbk(failure.detail).c_str());
    return false;
}

void CPayLibrary::PushInProcess(const std::string& text) {
    std::vector<char> request(kRequestBufferSize, '\0');
    std::vector<char> response(kSettingsResponseSize, '\0');
    std::memcpy(request.data(), text.data(), std::min(text.size(), kMaxRequestLength));
    m_pfnPayTrans(request.data(), response.data());
}

std::string CPayLibrary::CallEntry(Call call, const std::string& text, std::string& failure) {
    if (!EnsureHost(failure)) return {};
    bool push = call == Call::Push;
    HostCall result = m_host->Call(
        text, static_cast<std::uint32_t>(push ? kSettingsResponseSize : kResponseBufferSize),
        m_keepWaiting);
    if (result.outcome == HostCall::Answered) return std::move(result.answer);
    m_host.reset();
    failure = HostFailureNotice(result, push);
    return {};
}

void CPayLibrary::PushSettings() {
    if (!m_loaded) return;
    // Three values of at most 255 bytes each: the text always fits.
    std::string text = BuildSettingsPushRequest();
    if (m_mode == LibraryMode::InProcess) {
        PushInProcess(text);
        return;
    }
    std::string failure;
    CallEntry(Call::Push, text, failure);
}

TransactResult CPayLibrary::Transact(std::string_view request) {
    if (!m_loaded) {
        return {TransactStatus::Refused,
                Format("支付库未加载（%s），请求未发送。",
                       platform::FileNameToGbk(m_path.empty() ? "dll" : m_path).c_str())};
    }
    if (request.size() > kMaxRequestLength) {
        return {TransactStatus::Refused, Format("请求有 %zu 字节，超过上限 %zu 字节，未发送。",
                                                request.size(), kMaxRequestLength)};
    }
    // The library would see the text only up to a NUL: say so instead of sending a part.
    if (std::size_t nul = request.find('\0'); nul != std::string_view::npos) {
        return {TransactStatus::Refused,
                Format("请求的第 %zu 个字节是 NUL（0），支付库只会收到它之前的部分，未发送。",
                       nul + 1)};
    }
    if (m_mode == LibraryMode::InProcess) {
        // The answer's buffer first: without it nothing is sent.
        std::unique_ptr<char[]> response = m_allocate(kResponseBufferSize);
        if (!response) {
            return {TransactStatus::OutOfMemory,
                    Format("内存不足：无法分配 %zu 字节的应答缓冲区，请求未发送。",
                           kResponseBufferSize)};
        }
        response[0] = '\0';
        PushSettings();
        std::vector<char> buffer(kRequestBufferSize, '\0');
        std::memcpy(buffer.data(), request.data(), request.size());
        m_pfnPayTrans(buffer.data(), response.get());
        return {TransactStatus::Answered, UpToNul(response.get(), kResponseBufferSize)};
    }

    std::string failure;
    CallEntry(Call::Push, BuildSettingsPushRequest(), failure);
    if (!failure.empty()) return {TransactStatus::Failed, failure};
    std::string answer = CallEntry(Call::Request, std::string(request), failure);
    if (!failure.empty()) return {TransactStatus::Failed, failure};
    return {TransactStatus::Answered, std::move(answer)};
}

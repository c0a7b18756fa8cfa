#include "bridge/pay_library.h"

#include <json/value.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "common/fast_writer.h"
#include "common/profile.h"
#include "platform/executable_path.h"
#include "platform/text_codec.h"

namespace {

std::unique_ptr<char[]> AllocateBuffer(std::size_t size) {
    return std::unique_ptr<char[]>(new (std::nothrow) char[size]);
}

std::string Format(const char* format, auto... args) {
    int n = std::snprintf(nullptr, 0, format, args...);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
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

CPayLibrary::CPayLibrary(LoadNotifier notifier)
    : m_notify(std::move(notifier)), m_allocate(&AllocateBuffer) {}

CPayLibrary::~CPayLibrary() {
    if (m_hModule != nullptr) {
        platform::CloseLibrary(m_hModule);
        m_hModule = nullptr;
    }
}

bool CPayLibrary::Load() {
    return LoadFrom(platform::ExecutableFolder() + platform::PayLibraryRelativePath());
}

bool CPayLibrary::LoadFrom(const std::string& path) {
    m_path = path;
    platform::LibraryError error;
    m_hModule = platform::OpenLibrary(path, error);
    if (m_hModule == nullptr) {
        if (m_notify)
            m_notify(
                LoadFailure{error.code, Format("库加载失败%d", error.code), error.reason, path});
        return false;
    }
    m_pfnPayTrans = reinterpret_cast<PayTransEntry>(platform::FindSymbol(m_hModule, kPayTransName));
    if (m_pfnPayTrans == nullptr) {
        platform::CloseLibrary(m_hModule);
        m_hModule = nullptr;
        return false;
    }
    return true;
}

void CPayLibrary::PushSettings() {
    std::vector<char> request(kRequestBufferSize, '\0');
    std::vector<char> response(kSettingsResponseSize, '\0');
    std::string text = BuildSettingsPushRequest();
    // Three values of at most 255 bytes each: the text always fits.
    std::memcpy(request.data(), text.data(), std::min(text.size(), kMaxRequestLength));
    m_pfnPayTrans(request.data(), response.data());
}

TransactResult CPayLibrary::Transact(std::string_view request) {
    if (m_pfnPayTrans == nullptr) {
        return {TransactStatus::Refused,
                Format("支付库未加载（%s），请求未发送。",
                       platform::FileNameToGbk(m_path.empty() ? "dll" : m_path).c_str())};
    }
    if (request.size() > kMaxRequestLength) {
        return {TransactStatus::Refused, Format("请求有 %zu 字节，超过上限 %zu 字节，未发送。",
                                                request.size(), kMaxRequestLength)};
    }
    std::vector<char> requestBuffer(kRequestBufferSize, '\0');
    std::unique_ptr<char[]> response = m_allocate(kResponseBufferSize);
    if (!response) {
        return {
            TransactStatus::OutOfMemory,
            Format("内存不足：无法分配 %zu 字节的应答缓冲区，请求未发送。", kResponseBufferSize)};
    }
    response[0] = '\0';

    PushSettings();
    std::memcpy(requestBuffer.data(), request.data(), request.size());
    m_pfnPayTrans(requestBuffer.data(), response.get());

    const char* end =
        static_cast<const char*>(std::memchr(response.get(), '\0', kResponseBufferSize));
    std::size_t length =
        end != nullptr ? static_cast<std::size_t>(end - response.get()) : kResponseBufferSize;
    return {TransactStatus::Answered, std::string(response.get(), length)};
}

#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/pay_contract.h"
#include "platform/dynamic_library.h"

// A failed load, for the front end to show: `message` is the GBK text "库加载失败<code>",
// `detail` the OS's own words (in the OS's encoding), `path` the file that was tried.
struct LoadFailure {
    int code = 0;
    std::string message;
    std::string detail;
    std::string path;
};
using LoadNotifier = std::function<void(const LoadFailure&)>;

enum class TransactStatus {
    Answered,     // the library was called; `text` is its answer
    Refused,      // nothing was sent; `text` is a notice for the response pane
    OutOfMemory,  // nothing was sent and the panes stay as they are; `text` says why
};
struct TransactResult {
    TransactStatus status = TransactStatus::Refused;
    std::string text;
};

// The settings push: "hop.trade.setinfo" with the address, id and secret stored in the
// tool's ini file, read afresh.
std::string BuildSettingsPushRequest();

// Holds the payment library for the whole run and exchanges requests through its entry.
class CPayLibrary {
public:
    explicit CPayLibrary(LoadNotifier notifier = {});
    ~CPayLibrary();
    CPayLibrary(const CPayLibrary&) = delete;
    CPayLibrary& operator=(const CPayLibrary&) = delete;

    // Loads <folder of the executable>/dll/libcorvane.so and resolves payTrans. A load failure
    // goes to the notifier; a library without the entry is released silently.
    bool Load();
    bool LoadFrom(const std::string& path);

    bool IsLoaded() const { return m_pfnPayTrans != nullptr; }
    const std::string& LibraryPath() const { return m_path; }

    // Hands the library the stored back-end address and credentials; the answer is dropped.
    void PushSettings();

    // The settings push, then the request; the library's answer up to its first NUL.
    TransactResult Transact(std::string_view request);

    using BufferAllocator = std::unique_ptr<char[]> (*)(std::size_t size);
    void SetBufferAllocatorForTesting(BufferAllocator allocate) { m_allocate = allocate; }

private:
    platform::LibraryHandle m_hModule = nullptr;
    PayTransEntry m_pfnPayTrans = nullptr;
    LoadNotifier m_notify;
    std::string m_path;
    BufferAllocator m_allocate;
};

#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "bridge/pay_host.h"
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
    Answered,     // the library answered; `text` is its answer
    Refused,      // nothing was sent; `text` is a notice for the response pane
    OutOfMemory,  // nothing was sent and the panes stay as they are; `text` says why
    Failed,       // the library crashed, ended its process or was given up on while it worked;
                  // `text` is a notice for the response pane
};
struct TransactResult {
    TransactStatus status = TransactStatus::Refused;
    std::string text;
};

// Where the payment library runs: in a host process of its own (a crash, an exit or a hang
// of the library is an answer, never the tool's end), or inside this process, as a debugger
// wants it.
enum class LibraryMode { OutOfProcess, InProcess };

// The settings push: "hop.trade.setinfo" with the address, id and secret stored in the
// tool's ini file, read afresh.
std::string BuildSettingsPushRequest();

// The library the tool loads: <folder of the executable>/dll/corvane.dll when it exists (a
// Windows DLL, run through the Wine host), else dll/libcorvane.so.
std::string DefaultPayLibraryPath();

// Holds the payment library for the whole run and exchanges requests through its entry.
class CPayLibrary {
public:
    explicit CPayLibrary(LoadNotifier notifier = {}, LibraryMode mode = LibraryMode::OutOfProcess);
    ~CPayLibrary();
    CPayLibrary(const CPayLibrary&) = delete;
    CPayLibrary& operator=(const CPayLibrary&) = delete;

    // Loads the default library and resolves payTrans, once. A load failure goes to the
    // notifier; a library without the entry is released silently.
    bool Load();
    bool LoadFrom(const std::string& path);

    bool IsLoaded() const { return m_loaded; }
    const std::string& LibraryPath() const { return m_path; }
    LibraryMode Mode() const { return m_mode; }

    // Called while the library works on a call out of process; returning false gives the call
    // up. Without a hook the exchange waits for as long as the library takes.
    void SetWaitHook(WaitHook hook) { m_keepWaiting = std::move(hook); }

    // Hands the library the stored back-end address and credentials; the answer is dropped.
    void PushSettings();

    // The settings push, then the request; the library's answer up to its first NUL.
    TransactResult Transact(std::string_view request);

    using BufferAllocator = std::unique_ptr<char[]> (*)(std::size_t size);
    void SetBufferAllocatorForTesting(BufferAllocator allocate) { m_allocate = allocate; }

private:
    enum class Call { Push, Request };
    // One call of the entry; `failure` holds a notice when the library did not answer.
    std::string CallEntry(Call call, const std::string& text, std::string& failure);
    void PushInProcess(const std::string& text);
    // Why no host could be had: a Windows-style code and the OS's words, or no payTrans.
    struct HostFailure {
        int code = 0;
        std::string detail;
        bool noEntry = false;
    };
    // A host for m_path (the prestarted one if it is for m_path) that has loaded the library.
    std::unique_ptr<PayHost> StartHost(HostFailure& failure);
    // A host for the next call; `notice` says why there is none.
    bool EnsureHost(std::string& notice);
    void ReportLoadFailure(int code, const std::string& detail);

    LibraryMode m_mode;
    // In process.
    platform::LibraryHandle m_hModule = nullptr;
    PayTransEntry m_pfnPayTrans = nullptr;
    // Out of process; started afresh on the click after a host has ended.
    std::unique_ptr<PayHost> m_host;
    bool m_loaded = false;
    LoadNotifier m_notify;
    WaitHook m_keepWaiting;
    std::string m_path;
    BufferAllocator m_allocate;
};

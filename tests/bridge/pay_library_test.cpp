#include "bridge/pay_library.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>

#include "common/profile.h"
#include "tests/support/recorder.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Recorder;
using testing_support::ScopedCurrentDir;
using testing_support::TempDir;

std::string Push(const std::string& url, const std::string& appid, const std::string& secret) {
    return "{\n\"param\":{\n\"appid\":\"" + appid + "\",\n\"appsecret\":\"" + secret +
           "\",\n\"serveraddr\":\"" + url + "\"\n},\n\"transType\":\"hop.trade.setinfo\"\n}\n";
}

std::string ModeName(const testing::TestParamInfo<LibraryMode>& info) {
    return info.param == LibraryMode::InProcess ? "InProcess" : "OutOfProcess";
}

// Everything the exchange promises holds with the library in a host process and inside ours.
class Exchange : public testing::TestWithParam<LibraryMode> {
protected:
    Exchange() : cd_(dir_.path()) {}
    void SetUp() override { ASSERT_TRUE(loaded_); }

    TempDir dir_;
    ScopedCurrentDir cd_;
    Recorder recorder_;
    CPayLibrary library_{{}, GetParam()};
    bool loaded_ = library_.LoadFrom(RECORDING_LIBRARY);
};
INSTANTIATE_TEST_SUITE_P(Modes, Exchange,
                         testing::Values(LibraryMode::OutOfProcess, LibraryMode::InProcess),
                         ModeName);

TEST_P(Exchange, EveryExchangePushesTheStoredSettingsFirst) {
    WriteProfileValue(kToolIni, kSettingSection, "url", "http://127.0.0.1:1301/q");
    WriteProfileValue(kToolIni, kSettingSection, "appid", "ID");
    WriteProfileValue(kToolIni, kSettingSection, "appkey", "SECRET");
    recorder_.SetAnswer("first");
    TransactResult one = library_.Transact("R1");
    WriteProfileValue(kToolIni, kSettingSection, "url", "http://other/");
    recorder_.SetAnswer("second");
    TransactResult two = library_.Transact("R2");

    EXPECT_EQ(one.status, TransactStatus::Answered);
    EXPECT_EQ(one.text, "first");
    EXPECT_EQ(two.text, "second");
    EXPECT_EQ(recorder_.Requests(),
              (std::vector<std::string>{Push("http://127.0.0.1:1301/q", "ID", "SECRET"), "R1",
                                        Push("http://other/", "ID", "SECRET"), "R2"}));
}

TEST_P(Exchange, EmptySettingsStillPushAndAnEmptyPaneSendsALoneNul) {
    library_.Transact("");
    EXPECT_EQ(recorder_.Requests(), (std::vector<std::string>{Push("", "", ""), ""}));
}

TEST_P(Exchange, AnswerEndsAtItsFirstNul) {
    recorder_.SetAnswer(std::string("ab\0cd", 5));
    EXPECT_EQ(library_.Transact("x").text, "ab");
}

TEST_P(Exchange, AnAnswerWithoutTerminatorIsReadOnlyToTheBufferEndLessOne) {
    recorder_.SetAnswer(std::string(kResponseBufferSize, 'y'), /*terminate=*/false);
    TransactResult result = library_.Transact("x");
    EXPECT_EQ(result.status, TransactStatus::Answered);
    EXPECT_EQ(result.text, std::string(kMaxAnswerLength, 'y'));
}

TEST_P(Exchange, TheLargestAnswerArrivesWhole) {
    std::string answer(kMaxAnswerLength, 'z');
    answer[0] = '\xD2';  // GBK bytes pass unchanged
    answer[kMaxAnswerLength - 1] = '\xFE';
    recorder_.SetAnswer(answer);
    EXPECT_EQ(library_.Transact("x").text, answer);
}

TEST_P(Exchange, RequestsLongerThanTheBufferAreRefusedUnsent) {
    TransactResult refused = library_.Transact(std::string(kMaxRequestLength + 1, 'a'));
    EXPECT_EQ(refused.status, TransactStatus::Refused);
    EXPECT_NE(refused.text.find("10000"), std::string::npos) << refused.text;
    EXPECT_NE(refused.text.find("9999"), std::string::npos) << refused.text;
    EXPECT_TRUE(recorder_.Requests().empty());

    std::string longest(kMaxRequestLength, 'b');
    EXPECT_EQ(library_.Transact(longest).status, TransactStatus::Answered);
    ASSERT_EQ(recorder_.Requests().size(), 2u);
    EXPECT_EQ(recorder_.Requests()[1], longest);
}

TEST(InProcessExchange, NoResponseBufferMeansNothingSent) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    Recorder recorder_;
    CPayLibrary library_({}, LibraryMode::InProcess);
    ASSERT_TRUE(library_.LoadFrom(RECORDING_LIBRARY));
    library_.SetBufferAllocatorForTesting([](std::size_t) { return std::unique_ptr<char[]>(); });
    TransactResult result = library_.Transact("x");
    EXPECT_EQ(result.status, TransactStatus::OutOfMemory);
    EXPECT_FALSE(result.text.empty());
    EXPECT_TRUE(recorder_.Requests().empty());
}

struct Notified {
    int calls = 0;
    LoadFailure last;
};

class Load : public testing::TestWithParam<LibraryMode> {};
INSTANTIATE_TEST_SUITE_P(Modes, Load,
                         testing::Values(LibraryMode::OutOfProcess, LibraryMode::InProcess),
                         ModeName);

TEST_P(Load, MissingLibraryIs126AndNothingIsCalled) {
    Notified seen;
    CPayLibrary library([&](const LoadFailure& f) { ++seen.calls, seen.last = f; }, GetParam());
    EXPECT_FALSE(library.LoadFrom("/nonexistent/dll/libcorvane.so"));
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.last.code, 126);
    EXPECT_EQ(seen.last.message, "库加载失败126");
    EXPECT_FALSE(seen.last.detail.empty());
    TransactResult result = library.Transact("x");
    EXPECT_EQ(result.status, TransactStatus::Refused);
    EXPECT_NE(result.text.find("/nonexistent/dll/libcorvane.so"), std::string::npos);
}

TEST_P(Load, MissingDependencyIs126) {
    Notified seen;
    CPayLibrary library([&](const LoadFailure& f) { ++seen.calls, seen.last = f; }, GetParam());
    EXPECT_FALSE(library.LoadFrom(MISSING_DEPENDENCY_LIBRARY));
    EXPECT_EQ(seen.last.code, 126);
    EXPECT_NE(seen.last.detail.find("libmissing_helper"), std::string::npos) << seen.last.detail;
}

TEST_P(Load, AFileThatIsNoLibraryIs193) {
    TempDir dir;
    testing_support::WriteFileBytes(dir.file("libcorvane.so"), "not a library\n");
    Notified seen;
    CPayLibrary library([&](const LoadFailure& f) { ++seen.calls, seen.last = f; }, GetParam());
    EXPECT_FALSE(library.LoadFrom(dir.file("libcorvane.so")));
    EXPECT_EQ(seen.last.code, 193);
    EXPECT_EQ(seen.last.message, "库加载失败193");
}

TEST_P(Load, ALibraryWithoutTheEntryIsReleasedSilently) {
    Notified seen;
    CPayLibrary library([&](const LoadFailure& f) { ++seen.calls, seen.last = f; }, GetParam());
    EXPECT_FALSE(library.LoadFrom(NO_ENTRY_LIBRARY));
    EXPECT_EQ(seen.calls, 0);
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.Transact("x").status, TransactStatus::Refused);
    EXPECT_EQ(::dlopen(NO_ENTRY_LIBRARY, RTLD_NOW | RTLD_NOLOAD), nullptr) << "still loaded";
}

std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    char chunk[512];
    while (pipe != nullptr && std::fgets(chunk, sizeof chunk, pipe) != nullptr) out += chunk;
    if (pipe != nullptr) ::pclose(pipe);
    return out;
}

TEST(LoadBesideTheProgram, FoundFromAnyFolderEvenAChineseOne) {
    TempDir dir;
    // The folder name is UTF-8, as Linux spells it.
    fs::path program = dir.path() / "\xE6\x94\xAF\xE4\xBB\x98 \xE6\xB5\x8B\xE8\xAF\x95";
    fs::create_directories(program / "dll");
    fs::copy_file(BRIDGE_PROBE, program / "bridge_probe");
    fs::copy_file(CORVANE_HOST, program / "corvane-host");
    fs::permissions(program / "bridge_probe", fs::perms::owner_all);
    fs::permissions(program / "corvane-host", fs::perms::owner_all);
    fs::create_directories(dir.path() / "elsewhere");

    std::string command = "cd '" + (dir.path() / "elsewhere").string() + "' && '" +
                          (program / "bridge_probe").string() + "'";
    EXPECT_NE(RunCommand(command).find("failure 126 " + (program / "dll/libcorvane.so").string()),
              std::string::npos);

    fs::copy_file(RECORDING_LIBRARY, program / "dll/libcorvane.so");
    std::string out = RunCommand(command);
    EXPECT_NE(out.find("loaded 1"), std::string::npos) << out;
    EXPECT_NE(out.find("answer {\"code\":\"0\"}"), std::string::npos) << out;
}

}  // namespace

namespace {

TEST(Preload, HoldsTheLibraryOnlyUntilReleasedAndLoadStillDecides) {
    {
        platform::LibraryPreload preload(RECORDING_LIBRARY);
        CPayLibrary library({}, LibraryMode::InProcess);
        EXPECT_TRUE(library.LoadFrom(RECORDING_LIBRARY));
        preload.Release();
        EXPECT_NE(::dlopen(RECORDING_LIBRARY, RTLD_NOW | RTLD_NOLOAD), nullptr)
            << "the window's copy stays";
        ::dlclose(::dlopen(RECORDING_LIBRARY, RTLD_NOW | RTLD_NOLOAD));
    }
    EXPECT_EQ(::dlopen(NO_ENTRY_LIBRARY, RTLD_NOW | RTLD_NOLOAD), nullptr);
    {
        platform::LibraryPreload preload(NO_ENTRY_LIBRARY);
        preload.Release();
        EXPECT_EQ(::dlopen(NO_ENTRY_LIBRARY, RTLD_NOW | RTLD_NOLOAD), nullptr) << "released";
    }
    platform::LibraryPreload missing("/no/such/libcorvane.so");  // nothing to report here
    int notified = 0;
    CPayLibrary library([&](const LoadFailure& f) { notified += f.code == 126; },
                        LibraryMode::InProcess);
    EXPECT_FALSE(library.LoadFrom("/no/such/libcorvane.so"));
    EXPECT_EQ(notified, 1);
}

TEST(Preload, APrestartedHostIsTakenOverByTheLoadOfItsLibrary) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    PrestartPayHost(RECORDING_LIBRARY);
    CPayLibrary library;
    EXPECT_TRUE(library.LoadFrom(RECORDING_LIBRARY));
    EXPECT_EQ(TakePrestartedPayHost(RECORDING_LIBRARY), nullptr) << "taken over";
    EXPECT_EQ(library.Transact("x").text, "{\"code\":\"0\"}");

    PrestartPayHost(RECORDING_LIBRARY);
    CPayLibrary other;
    EXPECT_FALSE(other.LoadFrom(NO_ENTRY_LIBRARY));  // another library: a host of its own
    EXPECT_EQ(TakePrestartedPayHost(RECORDING_LIBRARY), nullptr) << "the unused host is ended";
}

}  // namespace

namespace {

// What a library under test can do to its host, and what the tool makes of it: a notice in
// the response pane naming the call and what happened, and a fresh host on the next click.
TEST(Host, NoMisbehaviourOfTheLibraryTakesTheToolDown) {
    const struct {
        const char* misbehave;
        std::vector<std::string> notice;
    } cases[] = {
        {"push crash", {"设置推送", "崩溃", "SIGSEGV", "交易请求没有发送"}},
        {"push overflow", {"设置推送", "SIGSEGV"}},
        {"request crash", {"交易请求", "崩溃", "SIGSEGV", "不会自动重发"}},
        {"request overflow", {"交易请求", "SIGSEGV"}},
        {"request stack", {"交易请求", "SIGSEGV"}},
        {"request abort", {"交易请求", "SIGABRT"}},
        {"request exit", {"交易请求", "结束了它所在的进程", "退出码 3"}},
        {"request hang", {"已放弃等待", "交易请求", "不会自动重发"}},
    };
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    CPayLibrary library;
    ASSERT_TRUE(library.LoadFrom(MISBEHAVING_LIBRARY));
    library.SetWaitHook([](long ms) { return ms < 300; });
    for (const auto& c : cases) {
        testing_support::WriteFileBytes("misbehave", c.misbehave);
        TransactResult result = library.Transact("{\"transType\":\"x\"}");
        EXPECT_EQ(result.status, TransactStatus::Failed) << c.misbehave;
        for (const std::string& part : c.notice)
            EXPECT_NE(result.text.find(part), std::string::npos)
                << c.misbehave << ": " << result.text;
        fs::remove("misbehave");
        EXPECT_EQ(library.Transact("{}").text, "{\"code\":\"0\"}") << "after " << c.misbehave;
    }
}

TEST(Host, WhatTheLibraryPrintsGoesToTheHostLogNotTheAnswer) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    CPayLibrary library;
    ASSERT_TRUE(library.LoadFrom(MISBEHAVING_LIBRARY));
    testing_support::WriteFileBytes("misbehave", "request print");
    EXPECT_EQ(library.Transact("{}").text, "{\"code\":\"0\"}");
    std::string log = testing_support::ReadFileBytes(
        (fs::path(CORVANE_HOST).parent_path() / "corvane-host.log").string());
    EXPECT_NE(log.find("vendor library says hello on stdout"), std::string::npos);
    EXPECT_NE(log.find("vendor library says hello on stderr"), std::string::npos);
}

}  // namespace

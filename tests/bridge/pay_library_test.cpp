#include "bridge/pay_library.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "common/profile.h"
#include "tests/support/recorder.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string Build(const char* path) { return testing_support::BuildPath(path); }
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
    bool loaded_ = library_.LoadFrom(Build(RECORDING_LIBRARY));
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

TEST_P(Exchange, ARequestHoldingANulIsRefusedUnsent) {
    static const char kText[] = "{\"a\":\"b\0c\"}";
    TransactResult refused = library_.Transact(std::string(kText, sizeof kText - 1));
    EXPECT_EQ(refused.status, TransactStatus::Refused);
    EXPECT_NE(refused.text.find("NUL"), std::string::npos) << refused.text;
    EXPECT_NE(refused.text.find(" 8 "), std::string::npos) << refused.text;  // its 8th byte
    EXPECT_TRUE(recorder_.Requests().empty());
}

TEST(InProcessExchange, NoResponseBufferMeansNothingSent) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    Recorder recorder_;
    CPayLibrary library_({}, LibraryMode::InProcess);
    ASSERT_TRUE(library_.LoadFrom(Build(RECORDING_LIBRARY)));
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
    EXPECT_FALSE(library.LoadFrom(Build(MISSING_DEPENDENCY_LIBRARY)));
    EXPECT_EQ(seen.last.code, 126);
    EXPECT_FALSE(seen.last.detail.empty());
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
    EXPECT_FALSE(library.LoadFrom(Build(NO_ENTRY_LIBRARY)));
    EXPECT_EQ(seen.calls, 0);
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.Transact("x").status, TransactStatus::Refused);
}

}  // namespace

namespace {

// Whether `text` holds one of the '|'-separated `parts`.
bool HoldsOneOf(const std::string& text, const std::string& parts) {
    for (std::size_t start = 0;;) {
        std::size_t bar = parts.find('|', start);
        if (text.find(parts.substr(start, bar - start)) != std::string::npos) return true;
        if (bar == std::string::npos) return false;
        start = bar + 1;
    }
}

// What a library under test can do to its host, and what the tool makes of it: a notice in
// the response pane naming the call and what happened, and a fresh host on the next click.
TEST(Host, NoMisbehaviourOfTheLibraryTakesTheToolDown) {
    const struct {
        const char* misbehave;
        std::vector<std::string> notice;
    } cases[] = {
        // What a crash is called: the signal on Linux, the exception code on Windows.
        {"push crash", {"设置推送", "崩溃", "SIGSEGV|0xC0000005", "交易请求没有发送"}},
        {"push overflow", {"设置推送", "SIGSEGV|0xC0000005"}},
        {"request crash", {"交易请求", "崩溃", "SIGSEGV|0xC0000005", "不会自动重发"}},
        {"request overflow", {"交易请求", "SIGSEGV|0xC0000005"}},
        {"request stack", {"交易请求", "SIGSEGV|0xC00000FD"}},
        {"request abort", {"交易请求", "SIGABRT|0x40000015"}},
        {"request exit", {"交易请求", "结束了它所在的进程", "退出码 3"}},
        {"request hang", {"已放弃等待", "交易请求", "不会自动重发"}},
    };
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    CPayLibrary library;
    ASSERT_TRUE(library.LoadFrom(Build(MISBEHAVING_LIBRARY)));
    library.SetWaitHook([](long ms) { return ms < 300; });
    for (const auto& c : cases) {
        testing_support::WriteFileBytes("misbehave", c.misbehave);
        TransactResult result = library.Transact("{\"transType\":\"x\"}");
        EXPECT_EQ(result.status, TransactStatus::Failed) << c.misbehave;
        for (const std::string& part : c.notice)
            EXPECT_TRUE(HoldsOneOf(result.text, part)) << c.misbehave << ": " << result.text;
        fs::remove("misbehave");
        EXPECT_EQ(library.Transact("{}").text, "{\"code\":\"0\"}") << "after " << c.misbehave;
    }
}

TEST(Host, WhatTheLibraryPrintsGoesToTheHostLogNotTheAnswer) {
    TempDir dir;
    ScopedCurrentDir cd(dir.path());
    CPayLibrary library;
    ASSERT_TRUE(library.LoadFrom(Build(MISBEHAVING_LIBRARY)));
    testing_support::WriteFileBytes("misbehave", "request print");
    EXPECT_EQ(library.Transact("{}").text, "{\"code\":\"0\"}");
    std::string log = testing_support::ReadFileBytes(
        (fs::path(Build(CORVANE_HOST)).parent_path() / "corvane-host.log").string());
    EXPECT_NE(log.find("vendor library says hello on stdout"), std::string::npos);
    EXPECT_NE(log.find("vendor library says hello on stderr"), std::string::npos);
}

}  // namespace

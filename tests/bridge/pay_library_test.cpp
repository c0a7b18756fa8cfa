#include "bridge/pay_library.h"

#include <gtest/gtest.h>

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

class Exchange : public testing::Test {
protected:
    Exchange() : cd_(dir_.path()) {}
    void SetUp() override {
        ASSERT_TRUE(loaded_);
        ASSERT_TRUE(recorder_.loaded());
    }

    TempDir dir_;
    ScopedCurrentDir cd_;
    CPayLibrary library_;
    bool loaded_ = library_.LoadFrom(RECORDING_LIBRARY);
    Recorder recorder_{RECORDING_LIBRARY};
};

TEST_F(Exchange, EveryExchangePushesTheStoredSettingsFirst) {
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

TEST_F(Exchange, EmptySettingsStillPushAndAnEmptyPaneSendsALoneNul) {
    library_.Transact("");
    EXPECT_EQ(recorder_.Requests(), (std::vector<std::string>{Push("", "", ""), ""}));
}

TEST_F(Exchange, AnswerEndsAtItsFirstNul) {
    recorder_.SetAnswer(std::string("ab\0cd", 5));
    EXPECT_EQ(library_.Transact("x").text, "ab");
}

TEST_F(Exchange, AnAnswerWithoutTerminatorIsReadOnlyToTheBufferEnd) {
    recorder_.SetAnswer(std::string(kResponseBufferSize, 'y'), /*terminate=*/false);
    TransactResult result = library_.Transact("x");
    EXPECT_EQ(result.status, TransactStatus::Answered);
    EXPECT_EQ(result.text.size(), kResponseBufferSize);
}

TEST_F(Exchange, RequestsLongerThanTheBufferAreRefusedUnsent) {
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

TEST_F(Exchange, NoResponseBufferMeansNothingSent) {
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

TEST(Load, MissingLibraryIs126AndNothingIsCalled) {
    Notified seen;
    CPayLibrary library([&](const LoadFailure& f) { ++seen.calls, seen.last = f; });
    EXPECT_FALSE(library.LoadFrom("/nonexistent/dll/libcorvane.so"));
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.last.code, 126);
    EXPECT_EQ(seen.last.message, "库加载失败126");
    EXPECT_FALSE(seen.last.detail.empty());
    TransactResult result = library.Transact("x");
    EXPECT_EQ(result.status, TransactStatus::Refused);
    EXPECT_NE(result.text.find("/nonexistent/dll/libcorvane.so"), std::string::npos);
}

TEST(Load, MissingDependencyIs126) {
    Notified seen;
    CPayLibrary library([&](const LoadFailure& f) { ++seen.calls, seen.last = f; });
    EXPECT_FALSE(library.LoadFrom(MISSING_DEPENDENCY_LIBRARY));
    EXPECT_EQ(seen.last.code, 126);
    EXPECT_NE(seen.last.detail.find("libmissing_helper"), std::string::npos) << seen.last.detail;
}

TEST(Load, AFileThatIsNoLibraryIs193) {
    TempDir dir;
    testing_support::WriteFileBytes(dir.file("libcorvane.so"), "not a library\n");
    Notified seen;
    CPayLibrary library([&](const LoadFailure& f) { ++seen.calls, seen.last = f; });
    EXPECT_FALSE(library.LoadFrom(dir.file("libcorvane.so")));
    EXPECT_EQ(seen.last.code, 193);
    EXPECT_EQ(seen.last.message, "库加载失败193");
}

TEST(Load, ALibraryWithoutTheEntryIsReleasedSilently) {
    Notified seen;
    CPayLibrary library([&](const LoadFailure& f) { ++seen.calls, seen.last = f; });
    EXPECT_FALSE(library.LoadFrom(NO_ENTRY_LIBRARY));
    EXPECT_EQ(seen.calls, 0);
    EXPECT_FALSE(library.IsLoaded());
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

TEST(Load, FoundBesideTheExecutableFromAnyFolderEvenAChineseOne) {
    TempDir dir;
    // The folder name is UTF-8, as Linux spells it.
    fs::path program = dir.path() / "\xE6\x94\xAF\xE4\xBB\x98 \xE6\xB5\x8B\xE8\xAF\x95";
    fs::create_directories(program / "dll");
    fs::copy_file(BRIDGE_PROBE, program / "bridge_probe");
    fs::permissions(program / "bridge_probe", fs::perms::owner_all);
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
        CPayLibrary library;
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
    CPayLibrary library([&](const LoadFailure& f) { notified += f.code == 126; });
    EXPECT_FALSE(library.LoadFrom("/no/such/libcorvane.so"));
    EXPECT_EQ(notified, 1);
}

}  // namespace

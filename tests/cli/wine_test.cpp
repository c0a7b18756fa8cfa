// The tool on Linux driving Windows payment libraries through the Wine host, laid out as users
// lay them out: the program, corvane-host and corvane-host.exe side by side, the DLL in dll/.
// Needs a Windows build: CORVANE_WINDOWS_BUILD names its folder (./test.sh windows sets it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "bridge/pay_library.h"
#include "common/profile.h"
#include "pages/page_table.h"
#include "tests/support/json_text.h"
#include "tests/support/recorder.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Capture;
using testing_support::Parse;
using testing_support::ReadFileBytes;
using testing_support::ScopedCurrentDir;
using testing_support::TempDir;

class WineHost : public testing::Test {
protected:
    void SetUp() override {
        const char* build = std::getenv("CORVANE_WINDOWS_BUILD");
        if (build == nullptr || *build == '\0')
            GTEST_SKIP() << "CORVANE_WINDOWS_BUILD names no Windows build (./test.sh windows)";
        windows_ = build;
        // A folder with Chinese characters, as users have them.
        program_ = dir_.path() / "\xE6\x94\xAF\xE4\xBB\x98 \xE6\xB5\x8B\xE8\xAF\x95";
        fs::create_directories(program_ / "dll");
        fs::copy_file(CORVANETEXT_CLI, program_ / "corvanetext-cli");
        fs::copy_file(CORVANE_HOST, program_ / "corvane-host");
        fs::copy_file(windows_ / "bin/corvane-host.exe", program_ / "corvane-host.exe");
        fs::copy_file(windows_ / "bin/dll/corvane.dll", program_ / "dll/corvane.dll");
        fs::create_directories(dir_.path() / "work");
    }

    // A test DLL of the Windows build.
    std::string TestDll(const std::string& name) const {
        return (windows_ / "tests/support" / ("lib" + name + ".dll")).string();
    }

    // Runs the copied command line in the work folder.
    std::string Run(const std::string& args, int* status) const {
        return Capture("cd '" + (dir_.path() / "work").string() + "' && '" +
                           (program_ / "corvanetext-cli").string() + "' " + args + " 2>&1",
                       status);
    }

    TempDir dir_;
    fs::path windows_;
    fs::path program_;
};

TEST_F(WineHost, RechargeAndRefundGoThroughTheWindowsStandInToTheLedger) {
    testing_support::SimProcess sim(QUENLA_SIM, dir_.file("ledger.sqlite"));
    ScopedCurrentDir cd(dir_.path() / "work");
    WriteProfileValue(kToolIni, kSettingSection, "url", sim.Url());
    WriteProfileValue(kToolIni, kSettingSection, "appid", kPageParameters[1].defaultValue);
    WriteProfileValue(kToolIni, kSettingSection, "appkey", kPageParameters[2].defaultValue);
    int status = -1;
    // The default library: dll/corvane.dll beside the program.
    std::string out = Run("run recharge refund", &status);
    EXPECT_EQ(status, 0) << out;
    std::size_t at = out.find("\"outChargeNo\":\"CZ");
    ASSERT_NE(at, std::string::npos) << out;
    std::string ledger =
        Capture(std::string(QUENLA_SIM) + " --ledger --db " + dir_.file("ledger.sqlite"));
    EXPECT_NE(ledger.find(out.substr(at + 15, 22)), std::string::npos) << ledger;
    EXPECT_NE(ledger.find("refund"), std::string::npos) << ledger;
    EXPECT_NE(ledger.find("\n  TK"), std::string::npos) << ledger;
    // The DLL keeps its log beside the program, as on Windows.
    EXPECT_TRUE(fs::exists(program_ / "dlllog(Quenla)"));
}

TEST_F(WineHost, ThePushArrivesByteExactInCodePage936) {
    ScopedCurrentDir cd(dir_.path() / "work");
    WriteProfileValue(kToolIni, kSettingSection, "url", "http://h:1301/q");
    WriteProfileValue(kToolIni, kSettingSection, "appkey", "\xC3\xDC\xD4\xBF");  // 密钥
    testing_support::Recorder recorder;
    testing_support::WriteFileBytes("request", "{\"v\":\"\xD6\xD0\xCE\xC4\"}");
    int status = -1;
    std::string out =
        Run("send request --library '" + TestDll("recording_paytrans") + "'", &status);
    EXPECT_EQ(status, 0) << out;
    std::vector<std::string> requests = recorder.Requests();
    ASSERT_EQ(requests.size(), 2u) << out;
    EXPECT_EQ(requests[0], BuildSettingsPushRequest());
    EXPECT_EQ(requests[1], "{\"v\":\"\xD6\xD0\xCE\xC4\"}");
    EXPECT_EQ(Parse(Run("send request --library '" + TestDll("acp_paytrans") + "'", &status))["acp"]
                  .asString(),
              "936");
}

TEST_F(WineHost, WhatADllDoesWrongIsAClearAnswer) {
    ScopedCurrentDir cd(dir_.path() / "work");
    testing_support::WriteFileBytes("request", "{}");
    const struct {
        std::string library;
        int status;
        const char* says;
    } cases[] = {
        {TestDll("misbehaving_paytrans"), 5, "0xC0000005"},
        {TestDll("no_entry_library"), 3, "no payTrans entry"},
        {TestDll("missing_dependency"), 3, "code 126"},
        {dir_.file("no/such.dll"), 3, "code 126"},
    };
    testing_support::WriteFileBytes("misbehave", "request crash");
    for (const auto& c : cases) {
        int status = -1;
        std::string out = Run("send request --library '" + c.library + "'", &status);
        EXPECT_EQ(status, c.status) << c.library << ": " << out;
        EXPECT_NE(out.find(c.says), std::string::npos) << c.library << ": " << out;
    }
    // A DLL of the other width than the host: the 32-bit build's DLL in the 64-bit host.
    const char* other = std::getenv("CORVANE_WINDOWS32_BUILD");
    if (other != nullptr && *other != '\0' && fs::path(other) != windows_) {
        int status = -1;
        std::string dll = (fs::path(other) / "tests/support/librecording_paytrans.dll").string();
        std::string out = Run("send request --library '" + dll + "'", &status);
        EXPECT_EQ(status, 3) << out;
        EXPECT_NE(out.find("code 193"), std::string::npos) << out;
    }
}

}  // namespace

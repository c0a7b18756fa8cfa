// corvanetext-cli, driven as a script would drive it.
#include <gtest/gtest.h>

#include "app/business_table.h"
#include "common/profile.h"
#include "pages/page_table.h"
#include "tests/support/json_text.h"
#include "tests/support/recorder.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::Capture;
using testing_support::Parse;
using testing_support::ReadFileBytes;
using testing_support::ScopedCurrentDir;
using testing_support::SimProcess;
using testing_support::TempDir;

struct Result {
    int status;
    std::string out;
    std::string err;
};

class Cli : public testing::Test {
protected:
    Result Run(const std::string& args, const std::string& input = {}) {
        std::string command = std::string(CORVANETEXT_CLI) + " " + args + " 2>" + dir_.file("err");
        if (!input.empty()) {
            testing_support::WriteFileBytes(dir_.file("stdin"), input);
            command += " <" + dir_.file("stdin");
        }
        Result r;
        r.out = Capture(command, &r.status);
        r.err = ReadFileBytes(dir_.file("err"));
        return r;
    }
    TempDir dir_;
    ScopedCurrentDir cd_{dir_.path()};
};

// Removes the members that carry fresh order numbers.
Json::Value WithoutOrderNumbers(const std::string& text) {
    Json::Value root = Parse(text);
    root["param"].removeMember("outRefundNo");
    if (root["transType"].asString() == "hop.trade.recharge")
        root["param"].removeMember("outChargeNo");
    return root;
}

TEST_F(Cli, ComposesWhatTheCoreComposes) {
    WriteProfileValue(kToolIni, kSettingSection, "url", "http://h:1301/q");
    WriteProfileValue(kToolIni, kSettingSection, "appid", "ID");
    WriteProfileValue(kToolIni, kSettingSection, "appkey", "KEY");
    WriteProfileValue(kToolIni, kSettingSection, "PosChannl", "银联卡");
    WriteProfileValue(kToolIni, kSettingSection, "DepositType", "WX_QR");
    WriteProfileValue(kLibraryIni, "DIVev", "OPERATORID", "OP5");
    for (const Business& b : Businesses()) {
        for (const std::string& name : {std::string(b.name), std::to_string(b.subCode)}) {
            Result r = Run("compose " + name + " --charge-no CZ42");
            ASSERT_EQ(r.status, 0) << name << r.err;
            EXPECT_TRUE(r.err.empty());
            BusinessInputs inputs = ReadBusinessInputs(b);
            inputs.serverAddr = "http://h:1301/q", inputs.appId = "ID", inputs.appSecret = "KEY";
            std::string last = "CZ42";
            std::string expected = ComposeBusiness(b, inputs, last);
            if (expected.find("\"outRefundNo\":\"TK") == std::string::npos &&
                b.subCode != BIZ_RECHARGE)
                EXPECT_EQ(r.out, expected) << name;
            else
                EXPECT_EQ(WithoutOrderNumbers(r.out), WithoutOrderNumbers(expected)) << name;
        }
    }
    EXPECT_EQ(Parse(Run("compose refund --charge-no CZ42").out)["param"]["outChargeNo"].asString(),
              "CZ42");
    Result utf8 = Run("--utf8 compose 2025");
    EXPECT_NE(utf8.out.find("\"operatorName\":\"\xE8\xB5\xB5\xE5\xA4\xA7\xE5\xB1\xB1\""),
              std::string::npos);
}

TEST_F(Cli, SendPushesTheSettingsFirstAndPrintsTheAnswer) {
    testing_support::Recorder recorder;
    WriteProfileValue(kToolIni, kSettingSection, "url", "http://h:1301/q");
    Result fromStdin =
        Run(std::string("send - --library ") + RECORDING_LIBRARY, "{\"transType\":\"x\"}");
    testing_support::WriteFileBytes(dir_.file("request.json"), "second");
    Result fromFile =
        Run(std::string("send ") + dir_.file("request.json") + " --library " + RECORDING_LIBRARY);
    EXPECT_EQ(fromStdin.status, 0) << fromStdin.err;
    EXPECT_EQ(fromStdin.out, "{\"code\":\"0\"}");
    EXPECT_EQ(fromFile.out, "{\"code\":\"0\"}");
    // Inside the command line's own process too, for a debugger.
    Result inProcess =
        Run(std::string("send - --in-process --library ") + RECORDING_LIBRARY, "third");
    EXPECT_EQ(inProcess.out, "{\"code\":\"0\"}") << inProcess.err;
    std::vector<std::string> requests = recorder.Requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[5], "third");
    requests.resize(4);
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(Parse(requests[0])["transType"].asString(), "hop.trade.setinfo");
    EXPECT_EQ(Parse(requests[0])["param"]["serveraddr"].asString(), "http://h:1301/q");
    EXPECT_EQ(requests[1], "{\"transType\":\"x\"}");
    EXPECT_EQ(Parse(requests[2])["transType"].asString(), "hop.trade.setinfo");
    EXPECT_EQ(requests[3], "second");
}

TEST_F(Cli, RunRechargeThenRefundAgainstTheSimulatedBackEnd) {
    SimProcess sim(QUENLA_SIM, dir_.file("ledger.sqlite"));
    WriteProfileValue(kToolIni, kSettingSection, "url", sim.Url());
    WriteProfileValue(kToolIni, kSettingSection, "appid", kPageParameters[1].defaultValue);
    WriteProfileValue(kToolIni, kSettingSection, "appkey", kPageParameters[2].defaultValue);
    Result r = Run(std::string("run recharge refund --library ") + CORVANE_LIBRARY);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    std::size_t at = r.out.find("\"outChargeNo\":\"CZ");
    ASSERT_NE(at, std::string::npos) << r.out;
    std::string chargeNo = r.out.substr(at + 15, 22);
    EXPECT_NE(r.out.find("==> refund request"), std::string::npos);
    std::string ledger =
        Capture(std::string(QUENLA_SIM) + " --ledger --db " + dir_.file("ledger.sqlite"));
    EXPECT_NE(ledger.find(chargeNo), std::string::npos) << ledger;
    EXPECT_NE(ledger.find("refund"), std::string::npos) << ledger;
    EXPECT_NE(ledger.find("\n  TK"), std::string::npos) << ledger;

    // A refund of an unknown charge fails the run, and says so.
    Result failed = Run(std::string("run refund --library ") + CORVANE_LIBRARY);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("1 of 1"), std::string::npos) << failed.err;
}

TEST_F(Cli, FailuresGoToStandardErrorWithTheirStatus) {
    const struct {
        std::string args;
        std::string input;
        int status;
        const char* says;
    } cases[] = {
        {"compose nonsense", "", 2, "unknown business \"nonsense\""},
        {"run recharge nonsense", "", 2, "unknown business"},
        {"send /no/such/file", "", 2, "cannot read /no/such/file"},
        {"send - --library /no/such/lib.so", "x", 3, "code 126"},
        {std::string("send - --library ") + NO_ENTRY_LIBRARY, "x", 3, "no payTrans entry"},
        {std::string("send - --library ") + RECORDING_LIBRARY, std::string(10000, 'a'), 4, "9999"},
        {std::string("send - --library ") + MISBEHAVING_LIBRARY, "x", 5, "SIGSEGV"},
        {std::string("send - --library ") + RECORDING_LIBRARY, std::string("a\0b", 3), 4, "NUL"},
        {"", "", 106, "A subcommand is required"},
    };
    testing_support::WriteFileBytes("misbehave", "request crash");
    for (const auto& c : cases) {
        Result r = Run(c.args, c.input);
        EXPECT_EQ(r.status, c.status) << c.args << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << c.args << ": " << r.out;
    }
}

TEST_F(Cli, NoAnswerOfTheLibraryAbortsTheRun) {
    testing_support::Recorder recorder;
    // Nested deeper than the JSON reader goes: not an object, so a failed exchange.
    recorder.SetAnswer("{\"code\":\"0\",\"a\":" + std::string(1100, '[') + std::string(1100, ']') +
                       "}");
    Result r = Run(std::string("run wb-query --library ") + RECORDING_LIBRARY);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("1 of 1"), std::string::npos) << r.err;
}

}  // namespace

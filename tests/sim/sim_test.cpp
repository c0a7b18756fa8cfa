// The simulated back end, end to end: the real quenla-sim binary, reached through the real
// stand-in payment library or a raw HTTP client.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "pages/requests.h"
#include "platform/callconv.h"
#include "tests/support/json_text.h"
#include "tests/support/library_copy.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"
#include "wire/signature.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Capture;
using testing_support::LibraryCopy;
using testing_support::Parse;
using testing_support::ScopedCurrentDir;
using testing_support::SimProcess;
using testing_support::TempDir;

constexpr const char* kAppId = "7QK2M4TX9W3HPZ8N5RVC6LJD0EYB1GAS";
constexpr const char* kSecret = "H3N8W2QZ5KT7VX4M9PLC6RJ1YBD0GFSE";

std::string NowMs() {
    return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count());
}

class Sim : public testing::Test {
protected:
    Sim() : sim_(std::make_unique<SimProcess>(QUENLA_SIM, Db())) {}
    void SetUp() override {
        ASSERT_NE(library_.entry(), nullptr);
        Push(kSecret);
    }

    std::string Db() const { return dir_.file("ledger.sqlite"); }
    void Push(const std::string& secret) {
        Call("{\"param\":{\"appid\":\"" + std::string(kAppId) + "\",\"appsecret\":\"" + secret +
             "\",\"serveraddr\":\"" + sim_->Url() + "\"},\"transType\":\"hop.trade.setinfo\"}");
    }
    std::string Call(const std::string& request) {
        std::vector<char> response(6000000);
        library_.entry()(request.c_str(), response.data());
        return response.data();
    }
    Json::Value Send(const std::string& request) { return Parse(Call(request)); }
    std::string Ledger() { return Capture(std::string(QUENLA_SIM) + " --ledger --db " + Db()); }

    // One signed POST straight to the server.
    httplib::Result Raw(const std::string& body, std::string nonce = wire::MakeNonce(),
                        std::string timestamp = NowMs(), const std::string& secret = kSecret) {
        httplib::Client client("127.0.0.1", sim_->Port());
        httplib::Headers headers = {
            {"X-App-Id", kAppId},
            {"X-Timestamp", timestamp},
            {"X-Nonce", nonce},
            {"X-Signature", wire::Sign(secret, kAppId, timestamp, nonce, body)}};
        return client.Post("/quenla-web/quenlaweb/quenlaapi", headers, body,
                           "application/json; charset=GBK");
    }

    TempDir dir_;
    ScopedCurrentDir cd_{dir_.path()};
    LibraryCopy library_{dir_.path(), CORVANE_LIBRARY};
    std::unique_ptr<SimProcess> sim_;
};

TEST_F(Sim, RechargeThenRefundAreBothInTheLedger) {
    std::string chargeNo;
    Json::Value recharge = Send(BuildRechargeRequest("1", "WX_QR", "", chargeNo));
    EXPECT_EQ(recharge["code"].asString(), "0") << recharge.toStyledString();
    EXPECT_TRUE(recharge["data"]["payCode"].asString().starts_with("weixin://"))
        << recharge.toStyledString();
    std::string refundText = BuildRefundRequest(chargeNo);
    Json::Value refund = Send(refundText);
    EXPECT_EQ(refund["code"].asString(), "0") << refund.toStyledString();

    std::string ledger = Ledger();
    std::string refundNo = Parse(refundText)["param"]["outRefundNo"].asString();
    EXPECT_NE(ledger.find(chargeNo), std::string::npos) << ledger;
    // The refund row under its charge, the amounts in one column ("0.01" both).
    std::size_t chargeRow = ledger.find(chargeNo);
    std::size_t refundRow = ledger.find("  " + refundNo);
    ASSERT_NE(refundRow, std::string::npos) << ledger;
    std::size_t chargeAmount = ledger.find("0.01", chargeRow) - ledger.rfind('\n', chargeRow);
    std::size_t refundAmount = ledger.find("0.01", refundRow) - ledger.rfind('\n', refundRow);
    EXPECT_EQ(chargeAmount, refundAmount) << ledger;
    EXPECT_NE(ledger.find("1 charge(s)"), std::string::npos) << ledger;

    // The same refund number again: the first answer, nothing changes.
    EXPECT_EQ(Call(refundText), Call(refundText));
    EXPECT_EQ(Parse(Call(refundText))["data"], refund["data"]);
    EXPECT_EQ(Ledger(), ledger);
}

TEST_F(Sim, ARefundNumberReusedDifferentlyIsRefusedNotRetried) {
    std::string chargeNo;
    Send(
        "{\"param\":{\"outChargeNo\":\"CZreuse\",\"amount\":\"1.00\"},"
        "\"transType\":\"hop.trade.recharge\"}");
    auto refund = [&](const std::string& charge, const char* amount) {
        return Send("{\"param\":{\"outChargeNo\":\"" + charge +
                    "\",\"outRefundNo\":\"TKreuse\",\"amount\":\"" + amount +
                    "\"},\"transType\":\"hop.trade.refund\"}");
    };
    Json::Value first = refund("CZreuse", "0.10");
    ASSERT_EQ(first["code"].asString(), "0");
    EXPECT_EQ(refund("CZreuse", "0.10")["data"], first["data"]) << "a retry";
    EXPECT_EQ(refund("CZreuse", "0.20")["code"].asString(), "S204");
    EXPECT_EQ(refund("CZother", "0.10")["code"].asString(), "S204");
    // A charge number with a NUL is no charge number, not its prefix.
    EXPECT_EQ(refund("CZreuse\\u0000x", "0.10")["code"].asString(), "S109");
    EXPECT_EQ(Send("{\"param\":{\"outChargeNo\":\"CZreuse\\u0000\",\"amount\":\"1\"},"
                   "\"transType\":\"hop.trade.recharge\"}")["code"]
                  .asString(),
              "S109");
}

TEST_F(Sim, RefundsAreRefusedBeyondTheChargeOrWithoutOne) {
    std::string chargeNo;
    Send(BuildRechargeRequest("", "", "", chargeNo));  // 0.01
    EXPECT_EQ(Send(BuildRefundRequest(chargeNo))["code"].asString(), "0");
    ::usleep(2000);
    Json::Value over = Send(BuildPosRefundRequest("", chargeNo, ""));
    EXPECT_EQ(over["code"].asString(), "S203");
    EXPECT_NE(over["msg"].asString().find("0.00"), std::string::npos);
    EXPECT_EQ(Send(BuildRefundRequest("CZ-no-such-charge"))["code"].asString(), "S202");
    EXPECT_EQ(Send(BuildRefundRequest(""))["code"].asString(), "S202");
    EXPECT_EQ(Send(BuildRechargeRequest("", "", "", chargeNo))["code"].asString(), "0");
    std::string again = chargeNo;
    Json::Value duplicate = Send("{\"param\":{\"outChargeNo\":\"" + again +
                                 "\",\"amount\":\"1\"},\"transType\":\"hop.trade.recharge\"}");
    EXPECT_EQ(duplicate["code"].asString(), "S201");
}

TEST_F(Sim, EveryComposedBusinessIsAnswered) {
    std::string last;
    const std::string requests[] = {
        BuildTerminalCodeRequest(),    BuildOutpatientSettleRequest("a", "b", "c"),
        BuildBatchRefundRequest(),     BuildWristbandCodeRequest(),
        BuildWristbandQueryRequest(),  BuildWristbandPrintRequest(),
        BuildSettlePushRequest(),      BuildDrugPushRequest(),
        BuildWristbandCancelRequest(),
    };
    for (const std::string& r : requests)
        EXPECT_EQ(Send(r)["code"].asString(), "0") << r << Call(r);
    Json::Value cancelledAgain = Send(BuildWristbandCancelRequest());
    EXPECT_EQ(cancelledAgain["code"].asString(), "S205");
}

TEST_F(Sim, ProtocolRefusalsNameWhatWasWrong) {
    const std::string body =
        "{\"param\":{\"key\":\"2345654322\"},\"transType\":\"portal.wb.queryAccount\"}";
    const struct {
        const char* what;
        httplib::Result result;
        int status;
        const char* code;
    } cases[] = {
        {"not JSON", Raw("{not json"), 400, "S105"},
        {"unknown transType", Raw("{\"transType\":\"hop.nothing\",\"param\":{}}"), 400, "S106"},
        {"missing member",
         Raw("{\"transType\":\"hop.trade.recharge\",\"param\":{\"outChargeNo\":\"CZ1\"}}"), 200,
         "S107"},
        {"bad amount",
         Raw("{\"transType\":\"hop.trade.recharge\",\"param\":{\"outChargeNo\":\"CZ1\",\"amount\":"
             "\"-1\"}}"),
         200, "S108"},
        {"stale timestamp", Raw(body, wire::MakeNonce(), "1000"), 401, "S103"},
        {"wrong secret", Raw(body, wire::MakeNonce(), NowMs(), "not the secret"), 401, "S102"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.result) << c.what;
        EXPECT_EQ(c.result->status, c.status) << c.what;
        EXPECT_EQ(Parse(c.result->body)["code"].asString(), c.code) << c.what << c.result->body;
    }
    EXPECT_NE(Parse(cases[2].result->body)["msg"].asString().find("amount"), std::string::npos);

    // The very same signed request twice: a replay.
    std::string nonce = wire::MakeNonce(), timestamp = NowMs();
    EXPECT_EQ(Raw(body, nonce, timestamp)->status, 200);
    auto replay = Raw(body, nonce, timestamp);
    EXPECT_EQ(replay->status, 409);
    EXPECT_EQ(Parse(replay->body)["code"].asString(), "S104");

    // Through the library: a wrong pushed secret is refused, and the user sees why.
    Push("not the secret");
    std::string answer = Call(body);
    EXPECT_EQ(Parse(answer)["code"].asString(), "E007");
    EXPECT_NE(answer.find("401"), std::string::npos);
    EXPECT_NE(answer.find("S102"), std::string::npos);
}

TEST_F(Sim, ABodyAboveTheLimitIsRefusedUnread) {
    httplib::Client client("127.0.0.1", sim_->Port());
    auto big = client.Post("/quenla-web/quenlaweb/quenlaapi", std::string(2 << 20, 'x'),
                           "application/json");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->status, 413);
    EXPECT_EQ(Raw("{\"param\":{},\"transType\":\"portal.wb.queryAccount\"}")->status, 200);
}

TEST_F(Sim, SlowClientsDoNotKeepOthersWaiting) {
    // 64 connections that send a request's first bytes and then nothing.
    std::vector<int> slow;
    for (int i = 0; i < 64; ++i) {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(sim_->Port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::send(fd, "POST /q", 7, 0), 7);
        slow.push_back(fd);
    }
    httplib::Client client("127.0.0.1", sim_->Port());
    client.set_read_timeout(3, 0);  // the slow ones hold their workers for 5 s
    auto answer = client.Post("/quenla-web/quenlaweb/quenlaapi", "{}", "application/json");
    for (int fd : slow) ::close(fd);
    ASSERT_TRUE(answer) << "no answer while slow clients were connected";
    EXPECT_EQ(answer->status / 100, 4) << answer->status;  // unsigned, refused, but answered
}

TEST_F(Sim, EveryAnsweredRechargeSurvivesAKill) {
    std::set<std::string> answered;
    std::atomic<bool> stop = false;
    std::atomic<int> count = 0;
    std::thread stream([&] {
        for (int i = 0; !stop && i < 20000; ++i) {
            std::string no = "CZkill" + std::to_string(i);
            std::string r = "{\"param\":{\"outChargeNo\":\"" + no +
                            "\",\"amount\":\"1.00\"},\"transType\":\"hop.trade.recharge\"}";
            if (Parse(Call(r))["code"].asString() == "0") answered.insert(no), ++count;
        }
    });
    // Killed in the middle of the stream, however busy the machine is.
    for (int waited = 0; count < 20 && waited < 20000; waited += 10) ::usleep(10000);
    ::usleep(100000);
    sim_->Kill(SIGKILL);
    stop = true;
    stream.join();
    ASSERT_GT(answered.size(), 10u);

    sim_ = std::make_unique<SimProcess>(QUENLA_SIM, Db());  // restarted on the same ledger
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(Db().c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT out_charge_no FROM charges", -1, &stmt, nullptr);
    std::set<std::string> stored;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        stored.insert(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    for (const std::string& no : answered)
        EXPECT_TRUE(stored.count(no)) << no << " was answered but is lost";
    Push(kSecret);
    EXPECT_EQ(Send("{\"param\":{\"outChargeNo\":\"CZafter\",\"amount\":\"1\"},\"transType\":\"hop."
                   "trade.recharge\"}")["code"]
                  .asString(),
              "0");
}

}  // namespace

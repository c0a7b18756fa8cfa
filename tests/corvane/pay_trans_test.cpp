#include <dlfcn.h>
#include <gtest/gtest.h>
#include <openssl/hmac.h>

#include <filesystem>
#include <thread>

#include "common/profile.h"
#include "platform/callconv.h"
#include "tests/support/http_peer.h"
#include "tests/support/json_text.h"
#include "tests/support/library_copy.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::HttpPeer;
using testing_support::LibraryCopy;
using testing_support::Parse;
using testing_support::ReadFileBytes;
using testing_support::ScopedCurrentDir;
using testing_support::TempDir;

constexpr std::size_t kSettingsBuffer = 10000;
constexpr std::size_t kBuffer = 6000000;
constexpr const char* kSecret = "H3N8W2QZ5KT7VX4M9PLC6RJ1YBD0GFSE";

std::string HmacHex(const std::string& key, const std::string& message) {
    unsigned char digest[32];
    unsigned int length = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
         reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest, &length);
    std::string hex;
    char byte[3];
    for (unsigned i = 0; i < length; ++i) {
        std::snprintf(byte, sizeof byte, "%02x", digest[i]);
        hex += byte;
    }
    return hex;
}

// A private copy of the library in <program>/dll/, so that its log goes to
// <program>/dlllog(Quenla); the program folder is also the current directory (for corvane.ini).
class PayTrans : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(library_.entry(), nullptr) << ::dlerror(); }

    // Calls the entry with a buffer of `size` bytes followed by a guard that must stay intact.
    std::string Call(const std::string& request, std::size_t size = kBuffer) {
        std::vector<char> buffer(size + 64, '\x5A');
        library_.entry()(request.c_str(), buffer.data());
        const char* end = static_cast<const char*>(std::memchr(buffer.data(), '\0', size));
        EXPECT_NE(end, nullptr) << "answer not terminated within its buffer";
        for (std::size_t i = size; i < buffer.size(); ++i)
            if (buffer[i] != '\x5A') {
                ADD_FAILURE() << "written past the buffer";
                break;
            }
        return end ? std::string(static_cast<const char*>(buffer.data()), end) : std::string();
    }
    std::string Push(const std::string& url, const std::string& appId = "APP",
                     const std::string& secret = kSecret) {
        return Call("{\n\"param\":{\n\"appid\":\"" + appId + "\",\n\"appsecret\":\"" + secret +
                        "\",\n\"serveraddr\":\"" + url +
                        "\"\n},\n\"transType\":\"hop.trade.setinfo\"\n}\n",
                    kSettingsBuffer);
    }
    // Serves the test's handler; the peer outlives the library, so closing the library's
    // kept-alive connections never waits on the server.
    HttpPeer& Serve(HttpPeer::Handler handler) {
        peers_.push_back(std::make_unique<HttpPeer>(std::move(handler)));
        return *peers_.back();
    }
    static std::string Code(const std::string& answer) { return Parse(answer)["code"].asString(); }
    std::string Log() {
        std::string all;
        for (const auto& f : fs::directory_iterator(dir_.path() / "dlllog(Quenla)"))
            all += ReadFileBytes(f.path().string());
        return all;
    }

    TempDir dir_;
    std::vector<std::unique_ptr<HttpPeer>> peers_;
    ScopedCurrentDir cd_{dir_.path()};
    // Unloaded before the peers stop, closing its kept-alive connections first.
    LibraryCopy library_{dir_.path(), CORVANE_LIBRARY};
};

const std::string kRecharge =
    "{\n\"param\":{\n\"operatorName\":\"\xD5\xD4\xB4\xF3\xC9\xBD\",\n"
    "\"x\":\"\xD5\x5C\\\"\n},\n\"transType\":\"hop.trade.recharge\"\n}\n";

TEST_F(PayTrans, PostsTheRequestSignedAndAnswersTheReplyUnchanged) {
    HttpPeer& peer = Serve([](const httplib::Request&, httplib::Response& res) {
        res.set_content("{\"code\":\"0\",\"msg\":\"\xB3\xC9\xB9\xA6\"}", "application/json");
    });
    EXPECT_EQ(Code(Push(peer.Url())), "0");
    EXPECT_EQ(Call(kRecharge), "{\"code\":\"0\",\"msg\":\"\xB3\xC9\xB9\xA6\"}");

    auto received = peer.All();
    ASSERT_EQ(received.size(), 1u);  // the push itself goes nowhere
    const auto& r = received[0];
    EXPECT_EQ(r.body, kRecharge);  // GBK bytes, byte for byte
    auto header = [&](const char* name) {
        auto it = r.headers.find(name);
        return it == r.headers.end() ? std::string() : it->second;
    };
    EXPECT_EQ(header("Content-Type"), "application/json; charset=GBK");
    EXPECT_EQ(header("X-App-Id"), "APP");
    EXPECT_EQ(header("X-Nonce").size(), 32u);
    long long sent = std::stoll(header("X-Timestamp"));
    EXPECT_LT(std::llabs(sent - std::time(nullptr) * 1000LL), 5000);
    std::string message =
        "APP\n" + header("X-Timestamp") + "\n" + header("X-Nonce") + "\n" + r.body;
    EXPECT_EQ(header("X-Signature"), HmacHex(kSecret, message));
    for (const auto& [name, value] : r.headers)
        EXPECT_EQ(value.find(kSecret), std::string::npos) << name;
}

TEST_F(PayTrans, FailuresAreAnswersAndNothingIsSentForBadRequests) {
    HttpPeer& peer = Serve([](const httplib::Request& req, httplib::Response& res) {
        if (req.body.find("\"status\"") != std::string::npos) {
            res.status = 503;
            res.set_content("back end is down for maintenance", "text/plain");
        } else if (req.body.find("\"slow\"") != std::string::npos) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2500));
            res.set_content("late", "text/plain");
        } else {
            res.set_content("{}", "application/json");
        }
    });
    EXPECT_EQ(Code(Call(kRecharge)), "E001") << "no settings pushed yet";
    Push(peer.Url());
    WriteProfileValue(kLibraryIni, kSettingSection, "TIMEOUT", "1");
    const struct {
        std::string request;
        const char* code;
        const char* mentions;
    } cases[] = {
        {"not json", "E002", nullptr},
        {"[1,2]", "E002", nullptr},
        {"{\"transType\":5}", "E002", nullptr},
        {"{\"param\":{}}", "E002", nullptr},
        {"", "E002", nullptr},
        {"{\"transType\":\"status\"}", "E007", "503 back end is down"},
        {"{\"transType\":\"slow\"}", "E006", nullptr},
    };
    for (const auto& c : cases) {
        std::string answer = Call(c.request);
        EXPECT_EQ(Code(answer), c.code) << c.request << " -> " << answer;
        if (c.mentions) {
            EXPECT_NE(answer.find(c.mentions), std::string::npos) << answer;
        }
        EXPECT_FALSE(Parse(answer)["msg"].asString().empty());
    }
    EXPECT_EQ(peer.All().size(), 2u) << "only the two valid requests reached the server";
}

TEST_F(PayTrans, UnreachableBackEndsAreNamed) {
    int closedPort;
    {
        HttpPeer gone([](const httplib::Request&, httplib::Response&) {});
        closedPort = gone.Port();
    }
    HttpPeer& plain = Serve([](const httplib::Request&, httplib::Response& res) {
        res.set_content("{}", "application/json");
    });
    const struct {
        std::string url;
        const char* code;
    } cases[] = {
        {"http://127.0.0.1:" + std::to_string(closedPort) + "/q", "E003"},
        {"http://nonexistent.invalid/q", "E004"},
        {"https://127.0.0.1:" + std::to_string(plain.Port()) + "/q", "E005"},
        {"http://[bad/q", "E009"},
        // Only http and https are followed: a file would end up in the answer and the log.
        {"file:///etc/passwd", "E011"},
        {"gopher+bad://x", "E011"},
        {"127.0.0.1:1301/q", "E011"},
    };
    WriteProfileValue(kLibraryIni, kSettingSection, "TIMEOUT", "3");
    for (const auto& c : cases) {
        Push(c.url);
        EXPECT_EQ(Code(Call(kRecharge)), c.code) << c.url;
    }
}

TEST_F(PayTrans, TimeoutsAreReadStrictlyAndUnusableOnesAreLogged) {
    HttpPeer& peer = Serve([](const httplib::Request&, httplib::Response& res) {
        res.set_content("{\"code\":\"0\"}", "application/json");
    });
    Push(peer.Url());
    for (const char* value : {"99999999999999999999", "-5", "0", "601", "5s", "1e3"}) {
        WriteProfileValue(kLibraryIni, kSettingSection, "TIMEOUT", value);
        EXPECT_EQ(Code(Call(kRecharge)), "0") << value;
        EXPECT_NE(Log().find(std::string("TIMEOUT=") + value + " unusable"), std::string::npos)
            << value;
    }
    WriteProfileValue(kLibraryIni, kSettingSection, "TIMEOUT", "600");
    EXPECT_EQ(Code(Call(kRecharge)), "0");
    EXPECT_EQ(Log().find("TIMEOUT=600 unusable"), std::string::npos);
}

TEST_F(PayTrans, AReplyLargerThanTheBufferIsRefusedWhole) {
    HttpPeer& peer = Serve([](const httplib::Request& req, httplib::Response& res) {
        std::size_t size = req.body.find("\"big\"") != std::string::npos ? kBuffer : kBuffer - 1;
        res.set_content(std::string(size, 'x'), "application/json");
    });
    Push(peer.Url());
    EXPECT_EQ(Call("{\"transType\":\"fits\"}").size(), kBuffer - 1);
    EXPECT_EQ(Code(Call("{\"transType\":\"big\"}")), "E008");
}

TEST_F(PayTrans, TheSecretNeverReachesTheLog) {
    HttpPeer& peer = Serve([](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(10000, 'y'), "application/json");
    });
    WriteProfileValue(kLibraryIni, kSettingSection, "REFUNDDESK", "1");
    Push(peer.Url());
    Call(
        "{\n\"appid\":\"A\",\n\"appsecret\":\"other\\\"secret\",\n\"param\":{\n},\n"
        "\"transType\":\"hop.outpatients.settle\"\n}\n");
    std::string log = Log();
    EXPECT_EQ(log.find(kSecret), std::string::npos);
    EXPECT_EQ(log.find("other"), std::string::npos);
    EXPECT_NE(log.find("hop.trade.setinfo"), std::string::npos);
    EXPECT_NE(log.find("hop.outpatients.settle"), std::string::npos);
    EXPECT_NE(log.find("REFUNDDESK=1"), std::string::npos);
    EXPECT_NE(log.find("10000 bytes in all"), std::string::npos) << "answers are cut at 4 KiB";
    EXPECT_EQ(log.find(std::string(4097, 'y')), std::string::npos);
}

// No run of four characters of any secret pushed in this process reaches the log, however the
// text spells it and wherever the answer's cut falls.
TEST_F(PayTrans, NoPieceOfAnySecretReachesTheLog) {
    const std::string secret = kSecret;
    // The answer to "cut": the secret right across the 4,096-byte cut of a logged answer.
    HttpPeer& peer = Serve([&](const httplib::Request& req, httplib::Response& res) {
        bool cut = req.body.find("\"cut\"") != std::string::npos;
        res.set_content(cut ? std::string(4096 - 10, 'y') + secret : "{}", "application/json");
    });
    Push(peer.Url(), "APP", "H3N8");
    Call("{\"transType\":\"first\"}");
    Push(peer.Url(), "APP", secret);
    std::string escaped;
    for (char c : secret) {
        char u[8];
        std::snprintf(u, sizeof u, "\\u%04X", static_cast<unsigned char>(c));
        escaped += u;
    }
    Call("{\"transType\":\"x\",\"a\":\"" + escaped + "\"}");
    Call("{\"transType\":\"x\",\"b\":\"H3N8\\/W2QZ\\t5KT7\"}");
    Call("{\"transType\":\"cut\"}");
    std::string log = Log();
    for (std::size_t i = 0; i + 4 <= secret.size(); ++i)
        EXPECT_EQ(log.find(secret.substr(i, 4)), std::string::npos) << secret.substr(i, 4);
    for (const char* spelled : {"\\u0048\\u0033\\u004E\\u0038", "H3N8\\/", "W2QZ\\t"})
        EXPECT_EQ(log.find(spelled), std::string::npos) << spelled;
    EXPECT_NE(log.find("\"appsecret\":\"******\""), std::string::npos) << "the push's own";
    EXPECT_NE(log.find("4118 bytes in all"), std::string::npos);
    for (const auto& f : fs::directory_iterator(dir_.path() / "dlllog(Quenla)"))
        EXPECT_EQ(fs::status(f.path()).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write)
            << f.path();
}

TEST_F(PayTrans, ADaysLogIsCappedAndTheFullOneKeptAsOld) {
    HttpPeer& peer = Serve([](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(4000, 'y'), "application/json");
    });
    Push(peer.Url());
    // About 4.4 KB an entry: 1,200 of them pass the 4 MiB of a day's file once.
    for (int i = 0; i < 1200; ++i) Call("{\"transType\":\"x\"}");
    std::uintmax_t total = 0;
    int old = 0;
    for (const auto& f : fs::directory_iterator(dir_.path() / "dlllog(Quenla)")) {
        EXPECT_LE(f.file_size(), 4u << 20) << f.path();
        total += f.file_size();
        old += f.path().string().ends_with(".old.log");
    }
    EXPECT_EQ(old, 1);
    EXPECT_GT(total, 4u << 20) << "nothing of the day was thrown away before its cap";
}

TEST_F(PayTrans, AnUnwritableLogNeverFailsAnExchange) {
    HttpPeer& peer = Serve([](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok", "text/plain");
    });
    testing_support::WriteFileBytes(dir_.file("dlllog(Quenla)"),
                                    "a file where the folder should be");
    Push(peer.Url());
    EXPECT_EQ(Call("{\"transType\":\"t\"}"), "ok");
}

TEST_F(PayTrans, ThreadsGetTheirOwnAnswersOverReusedConnections) {
    HttpPeer& peer = Serve([](const httplib::Request& req, httplib::Response& res) {
        res.set_content("echo:" + req.body, "text/plain");
    });
    Push(peer.Url());
    for (int i = 0; i < 5; ++i) Call("{\"transType\":\"seq\"}");
    auto sequential = peer.All();
    ASSERT_EQ(sequential.size(), 5u);
    for (const auto& r : sequential)
        EXPECT_EQ(r.remotePort, sequential[0].remotePort) << "a new connection";

    std::vector<std::thread> threads;
    std::vector<int> wrong(8, 0);
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i) {
                std::string request =
                    "{\"transType\":\"t" + std::to_string(t) + "-" + std::to_string(i) + "\"}";
                if (Call(request) != "echo:" + request) ++wrong[t];
            }
        });
    for (auto& th : threads) th.join();
    for (int t = 0; t < 8; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

}  // namespace

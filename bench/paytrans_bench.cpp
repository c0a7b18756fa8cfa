// payTrans round trip against a loopback server that answers at once, beside one curl
// command-line POST of the same request to the same server.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/callconv.h"
#include "tests/support/http_peer.h"

namespace {

using Entry = int(CORVANE_CALL*)(const char*, char*);

testing_support::HttpPeer& ThePeer() {
    static testing_support::HttpPeer peer([](const httplib::Request&, httplib::Response& res) {
        res.set_content("{\"code\":\"0\",\"msg\":\"ok\"}", "application/json");
    });
    return peer;
}

const std::string kRequest =
    "{\n\"param\":{\n\"key\":\"2345654322\"\n},\n\"transType\":\"portal.wb.queryAccount\"\n}\n";

void BM_PayTrans(benchmark::State& state) {
    void* lib = ::dlopen(CORVANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    auto entry = lib ? reinterpret_cast<Entry>(::dlsym(lib, "payTrans")) : nullptr;
    if (entry == nullptr) {
        state.SkipWithError("libcorvane.so not loaded");
        return;
    }
    std::vector<char> settings(10000), response(6000000);
    std::string push = "{\"param\":{\"appid\":\"A\",\"appsecret\":\"S\",\"serveraddr\":\"" +
                       ThePeer().Url("/q") + "\"},\"transType\":\"hop.trade.setinfo\"}";
    entry(push.c_str(), settings.data());
    for (auto _ : state) entry(kRequest.c_str(), response.data());
    ::dlclose(lib);
}
BENCHMARK(BM_PayTrans)->Unit(benchmark::kMicrosecond);

void BM_CurlCommand(benchmark::State& state) {
    std::string command =
        "curl -s -o /dev/null -X POST -H 'Content-Type: application/json; "
        "charset=GBK' --data-binary '" +
        kRequest + "' " + ThePeer().Url("/q");
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("curl failed");
}
BENCHMARK(BM_CurlCommand)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

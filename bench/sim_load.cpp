// A loopback load client for quenla-sim: signed recharges on kept-alive connections.
// Usage: sim_load PORT [SECONDS] [CONNECTIONS]
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "wire/signature.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PORT [SECONDS] [CONNECTIONS]\n", argv[0]);
        return 2;
    }
    int port = std::atoi(argv[1]);
    int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    int connections = argc > 3 ? std::atoi(argv[3]) : 8;
    const std::string appId = "7QK2M4TX9W3HPZ8N5RVC6LJD0EYB1GAS";
    const std::string secret = "H3N8W2QZ5KT7VX4M9PLC6RJ1YBD0GFSE";
    using Clock = std::chrono::steady_clock;
    auto until = Clock::now() + std::chrono::seconds(seconds);
    std::vector<std::vector<double>> latencies(connections);
    std::atomic<long> failures = 0;
    std::string run = wire::MakeNonce().substr(0, 8);

    std::vector<std::thread> workers;
    for (int c = 0; c < connections; ++c)
        workers.emplace_back([&, c] {
            httplib::Client client("127.0.0.1", port);
            client.set_keep_alive(true);
            client.set_tcp_nodelay(true);
            for (long i = 0; Clock::now() < until; ++i) {
                std::string body = "{\n\"param\":{\n\"amount\":\"0.01\",\n\"outChargeNo\":\"CZ" +
                                   run + "-" + std::to_string(c) + "-" + std::to_string(i) +
                                   "\"\n},\n\"transType\":\"hop.trade.recharge\"\n}\n";
                std::string timestamp =
                    std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::system_clock::now().time_since_epoch())
                                       .count());
                std::string nonce = wire::MakeNonce();
                httplib::Headers headers = {
                    {"X-App-Id", appId},
                    {"X-Timestamp", timestamp},
                    {"X-Nonce", nonce},
                    {"X-Signature", wire::Sign(secret, appId, timestamp, nonce, body)}};
                auto start = Clock::now();
                auto res = client.Post("/quenla-web/quenlaweb/quenlaapi", headers, body,
                                       "application/json; charset=GBK");
                double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                if (!res || res->status != 200 ||
                    res->body.find("\"code\":\"0\"") == std::string::npos)
                    ++failures;
                else
                    latencies[c].push_back(ms);
            }
        });
    for (auto& w : workers) w.join();

    std::vector<double> all;
    for (auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
    std::sort(all.begin(), all.end());
    auto at = [&](double q) {
        return all.empty()
                   ? 0.0
                   : all[std::min(all.size() - 1, static_cast<std::size_t>(q * all.size()))];
    };
    std::printf(
        "%zu recharges answered in %d s over %d connections: %.0f/s, p50 %.2f ms, p99 %.2f ms, max "
        "%.2f ms, %ld failed\n",
        all.size(), seconds, connections, all.size() / double(seconds), at(0.5), at(0.99),
        all.empty() ? 0.0 : all.back(), failures.load());
    return failures == 0 ? 0 : 1;
}

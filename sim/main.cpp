// quenla-sim: a simulated payment back end with a real ledger.
// Room for bursts of connections before they are accepted.
#define CPPHTTPLIB_LISTEN_BACKLOG 128
#include <httplib.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "sim/ledger.h"
#include "sim/service.h"

namespace {

constexpr const char* kPath = "/quenla-web/quenlaweb/quenlaapi";

// Far above any real request; a larger body is refused (413) before it is read.
constexpr std::size_t kMaxBody = 1 << 20;
// Workers, so that slow or idle connections cannot keep a normal client waiting.
constexpr std::size_t kWorkers = 128;

httplib::Server* g_server = nullptr;

void Stop(int) {
    if (g_server != nullptr) g_server->stop();
}

int PrintLedger(sim::Ledger& ledger) {
    std::vector<sim::Charge> charges = ledger.Charges();
    std::printf("%-24s %10s  %-8s  %-23s\n", "charge", "amount", "channel", "time");
    for (const sim::Charge& c : charges) {
        std::printf("%-24s %10s  %-8s  %-23s\n", c.outChargeNo.c_str(),
                    sim::FormatCents(c.amountCents).c_str(), c.channel.c_str(),
                    c.createdAt.c_str());
        // A refund under its charge, indented, its columns under the charge's.
        for (const sim::Refund& r : ledger.RefundsOf(c.outChargeNo))
            std::printf("  %-22s %10s  %-8s  %-23s\n", r.outRefundNo.c_str(),
                        sim::FormatCents(r.amountCents).c_str(), "refund", r.createdAt.c_str());
    }
    std::printf("%zu charge(s)\n", charges.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App cli{"quenla-sim: a simulated payment back end with an SQLite ledger"};
    std::string listen = "127.0.0.1:1301";
    std::string db = "quenla-sim.sqlite";
    std::vector<std::string> apps;
    bool ledgerOnly = false;
    cli.add_option("--listen", listen, "host:port to listen on (port 0 picks a free one)")
        ->capture_default_str();
    cli.add_option("--db", db, "the ledger's SQLite file")->capture_default_str();
    cli.add_option("--app", apps,
                   "an application allowed to call, as APPID:SECRET (repeatable); "
                   "default: the tool's default id and secret");
    cli.add_flag("--ledger", ledgerOnly, "print the ledger (charges with their refunds) and exit");
    CLI11_PARSE(cli, argc, argv);

    std::map<std::string, std::string> secrets;
    if (apps.empty())
        apps.push_back("7QK2M4TX9W3HPZ8N5RVC6LJD0EYB1GAS:H3N8W2QZ5KT7VX4M9PLC6RJ1YBD0GFSE");
    for (const std::string& app : apps) {
        std::size_t colon = app.find(':');
        if (colon == std::string::npos || colon == 0) {
            std::cerr << "quenla-sim: --app wants APPID:SECRET, got \"" << app << "\"\n";
            return 2;
        }
        secrets[app.substr(0, colon)] = app.substr(colon + 1);
    }
    std::size_t colon = listen.rfind(':');
    int port = -1;
    try {
        port = colon == std::string::npos ? -1 : std::stoi(listen.substr(colon + 1));
    } catch (...) {
    }
    if (port < 0 || port > 65535) {
        std::cerr << "quenla-sim: --listen wants host:port, got \"" << listen << "\"\n";
        return 2;
    }
    std::string host = listen.substr(0, colon);

    try {
        sim::Ledger ledger(db);
        if (ledgerOnly) return PrintLedger(ledger);
        sim::Service service(ledger, secrets);

        httplib::Server server;
        server.set_tcp_nodelay(true);
        server.set_payload_max_length(kMaxBody);
        server.set_read_timeout(5);
        server.set_keep_alive_timeout(5);
        server.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
        server.Post(kPath, [&](const httplib::Request& req, httplib::Response& res) {
            sim::HttpAnswer answer = service.Handle(
                {req.get_header_value("X-App-Id"), req.get_header_value("X-Timestamp"),
                 req.get_header_value("X-Nonce"), req.get_header_value("X-Signature")},
                req.body);
            res.status = answer.status;
            res.set_content(answer.body, "application/json; charset=GBK");
        });
        int bound = port == 0 ? server.bind_to_any_port(host)
                              : (server.bind_to_port(host, port) ? port : -1);
        if (bound < 0) {
            std::cerr << "quenla-sim: cannot listen on " << listen
                      << " (in use, or not an address of this machine)\n";
            return 1;
        }
        g_server = &server;
        std::signal(SIGINT, Stop);
        std::signal(SIGTERM, Stop);
        std::printf("quenla-sim listening on http://%s:%d%s, ledger %s\n", host.c_str(), bound,
                    kPath, db.c_str());
        std::fflush(stdout);
        server.listen_after_bind();
        g_server = nullptr;
    } catch (const std::exception& e) {
        std::cerr << "quenla-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

// corvanetext-cli: the window's composers and exchange, from a shell.
#include <json/value.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>

#include "app/business_table.h"
#include "bridge/pay_library.h"
#include "common/json_object.h"
#include "common/profile.h"
#include "pages/page_table.h"
#include "platform/text_codec.h"

namespace {

// Exit statuses a script can tell apart.
enum Status {
    kOk = 0,
    kFailedAnswers = 1,
    kUsage = 2,
    kNoLibrary = 3,
    kRefused = 4,
    kLibraryFailed = 5,
    kUnexpected = 6,
};

struct Options {
    bool utf8 = false;
    bool inProcess = false;
    std::string library;
};

// Failures a script sees on standard error, with the status to exit with.
struct Failure {
    int status;
    std::string message;
};

void Out(const Options& o, const std::string& gbk) {
    std::string text = o.utf8 ? platform::GbkToUtf8(gbk) : gbk;
    std::fwrite(text.data(), 1, text.size(), stdout);
}

const Business& Find(const std::string& name) {
    const Business* business = FindBusinessByName(name);
    if (business == nullptr)
        throw Failure{kUsage,
                      "unknown business \"" + name + "\" (corvanetext-cli businesses lists them)"};
    return *business;
}

// What the window would compose: the recharge page's parameters as the page shows them at
// start.
std::string Compose(const Business& business, std::string& lastOutChargeNo) {
    return ComposeRequest(business, ReadPageParameters(), lastOutChargeNo);
}

std::unique_ptr<CPayLibrary> LoadLibrary(const Options& o) {
    std::string failure;
    auto library = std::make_unique<CPayLibrary>(
        [&](const LoadFailure& f) {
            failure = "cannot load the payment library (code " + std::to_string(f.code) +
                      "): " + f.detail;
        },
        o.inProcess ? LibraryMode::InProcess : LibraryMode::OutOfProcess);
    bool loaded = o.library.empty() ? library->Load() : library->LoadFrom(o.library);
    if (!loaded) {
        if (failure.empty())
            failure = "the payment library has no payTrans entry: " + library->LibraryPath();
        throw Failure{kNoLibrary, failure};
    }
    return library;
}

std::string Exchange(CPayLibrary& library, const std::string& request) {
    TransactResult result = library.Transact(request);
    if (result.status == TransactStatus::Failed)
        throw Failure{kLibraryFailed, platform::GbkToUtf8(result.text)};
    if (result.status != TransactStatus::Answered)
        throw Failure{kRefused, platform::GbkToUtf8(result.text)};
    return result.text;
}

std::string ReadRequest(const std::string& file) {
    if (file == "-") return std::string(std::istreambuf_iterator<char>(std::cin), {});
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Failure{kUsage, "cannot read " + file + ": " + std::strerror(errno)};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool Succeeded(const std::string& answer) {
    Json::Value root = ParseJsonObject(answer);
    return root.isObject() && root["code"].isString() && root["code"].asString() == "0";
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App cli{
        "corvanetext-cli: compose and send the payment back end's sample requests\n"
        "through the payment library, with the ini files of the current directory."};
    cli.require_subcommand(1);
    Options o;
    cli.add_flag("--utf8", o.utf8, "convert the GBK output to UTF-8 for a terminal");

    auto* list = cli.add_subcommand(
        "businesses", "list the businesses: sub-code, name, page, caption, transType");
    auto* compose = cli.add_subcommand("compose", "print the request the window would compose");
    std::string business, chargeNo;
    compose->add_option("business", business, "sub-code or name (see businesses)")->required();
    compose->add_option("--charge-no", chargeNo, "the last charge number, which refunds quote");
    auto* send =
        cli.add_subcommand("send", "send a request through the library (settings push first)");
    std::string file = "-";
    send->add_option("file", file, "the request, - for standard input")->capture_default_str();
    send->add_option("--library", o.library,
                     "load this library (.so, or a Windows .dll through Wine) instead of the "
                     "one in dll/");
    send->add_flag("--in-process", o.inProcess,
                   "run the library inside this process (for a debugger), not in corvane-host");
    auto* run = cli.add_subcommand("run", "compose and send each business in turn");
    std::vector<std::string> businesses;
    run->add_option("business", businesses, "sub-codes or names, e.g. recharge refund")->required();
    run->add_option("--library", o.library,
                    "load this library (.so, or a Windows .dll through Wine) instead of the one "
                    "in dll/");
    run->add_flag("--in-process", o.inProcess,
                  "run the library inside this process (for a debugger), not in corvane-host");
    CLI11_PARSE(cli, argc, argv);

    try {
        if (*list) {
            for (const Business& b : Businesses())
                Out(o, std::to_string(b.subCode) + "\t" + b.name + "\t" +
                           kPages[PageOf(b)].tabText + "\t" + b.caption + "\t" + b.transType +
                           "\n");
        } else if (*compose) {
            Out(o, Compose(Find(business), chargeNo));
        } else if (*send) {
            std::string request = ReadRequest(file);
            auto library = LoadLibrary(o);
            Out(o, Exchange(*library, request));
        } else if (*run) {
            std::vector<const Business*> chosen;
            for (const std::string& name : businesses) chosen.push_back(&Find(name));
            auto library = LoadLibrary(o);
            std::string lastOutChargeNo;
            int failed = 0;
            for (const Business* b : chosen) {
                std::string request = Compose(*b, lastOutChargeNo);
                Out(o, std::string("==> ") + b->name + " request\n" + request);
                std::string answer = Exchange(*library, request);
                Out(o, std::string("<== ") + b->name + " answer\n" + answer + "\n");
                if (!Succeeded(answer)) ++failed;
            }
            if (failed > 0) {
                std::cerr << "corvanetext-cli: " << failed << " of " << chosen.size()
                          << " answers did not carry code \"0\"\n";
                return kFailedAnswers;
            }
        }
    } catch (const Failure& f) {
        std::fflush(stdout);
        std::cerr << "corvanetext-cli: " << f.message << "\n";
        return f.status;
    } catch (const std::exception& e) {
        // Nothing may end the command line without a word.
        std::fflush(stdout);
        std::cerr << "corvanetext-cli: unexpected failure: " << e.what() << "\n";
        return kUnexpected;
    }
    return kOk;
}

#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "sim/ledger.h"

namespace sim {

struct HttpAnswer {
    int status = 200;
    std::string body;  // GBK JSON: {"code", "msg", "data"}
};

// The signed headers of one request.
struct Signed {
    std::string appId;
    std::string timestamp;
    std::string nonce;
    std::string signature;
};

// The back end's rules: who may call, and what each business does to the ledger.
class Service {
public:
    using Clock = std::function<std::int64_t()>;  // milliseconds since the epoch

    Service(Ledger& ledger, std::map<std::string, std::string> secrets, Clock clock = {});

    HttpAnswer Handle(const Signed& headers, const std::string& body);

    static constexpr std::int64_t kWindowMs = 5 * 60 * 1000;

private:
    Ledger& ledger_;
    std::map<std::string, std::string> secrets_;  // app id -> secret
    Clock clock_;
};

}  // namespace sim

#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Charge {
    std::string outChargeNo;
    std::int64_t amountCents = 0;
    std::string channel;
    std::string createdAt;
};

struct Refund {
    std::string outRefundNo;
    std::string outChargeNo;
    std::int64_t amountCents = 0;
    std::string createdAt;
    std::string answer;  // what the first request was answered, returned again for a repeat
};

struct Wristband {
    std::string key;
    std::string code;
    std::string cardNo;
    std::string userName;
    std::string status;  // "active" or "cancelled"
    int prints = 0;
};

// The back end's ledger in one SQLite file (WAL): charges, refunds, wristband accounts, and a
// record of every other business and of the nonces seen. Each business runs in one
// transaction; a committed one survives the process being killed.
class Ledger {
public:
    explicit Ledger(const std::string& path);
    ~Ledger();
    Ledger(const Ledger&) = delete;
    Ledger& operator=(const Ledger&) = delete;

    // Runs `work` in one IMMEDIATE transaction, committed unless it throws.
    template <typename Work>
    auto Transaction(Work&& work) -> decltype(work()) {
        std::lock_guard lock(mutex_);
        Exec("BEGIN IMMEDIATE");
        try {
            if constexpr (std::is_void_v<decltype(work())>) {
                work();
                Exec("COMMIT");
            } else {
                auto result = work();
                Exec("COMMIT");
                return result;
            }
        } catch (...) {
            Exec("ROLLBACK");
            throw;
        }
    }

    // Inside a transaction:
    bool RememberNonce(const std::string& appId, const std::string& nonce, std::int64_t nowMs);
    std::optional<Charge> FindCharge(const std::string& outChargeNo);
    void AddCharge(const Charge& charge, const std::string& body);
    std::optional<Refund> FindRefund(const std::string& outRefundNo);
    std::int64_t RefundedCents(const std::string& outChargeNo);
    void AddRefund(const Refund& refund, const std::string& body);
    std::optional<Wristband> FindWristband(const std::string& key);
    std::optional<Wristband> ActiveWristbandOf(const std::string& cardNo);
    void SaveWristband(const Wristband& wristband);
    void Record(const std::string& transType, const std::string& body);

    // Outside a transaction:
    std::vector<Charge> Charges();
    std::vector<Refund> RefundsOf(const std::string& outChargeNo);

private:
    class Statement;
    void Exec(const char* sql);

    sqlite3* db_ = nullptr;
    std::recursive_mutex mutex_;
    std::uint64_t noncesAdded_ = 0;
};

std::string FormatCents(std::int64_t cents);

}  // namespace sim

#include "sim/ledger.h"

#include <stdexcept>

namespace sim {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS charges (
    out_charge_no TEXT PRIMARY KEY,
    amount_cents  INTEGER NOT NULL,
    channel       TEXT NOT NULL,
    created_at    TEXT NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime')),
    body          TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS refunds (
    out_refund_no TEXT PRIMARY KEY,
    out_charge_no TEXT NOT NULL REFERENCES charges(out_charge_no),
    amount_cents  INTEGER NOT NULL,
    created_at    TEXT NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime')),
    answer        TEXT NOT NULL,
    body          TEXT NOT NULL
);
CREATE INDEX IF NOT EXISTS refunds_by_charge ON refunds(out_charge_no);
CREATE TABLE IF NOT EXISTS wristbands (
    key       TEXT PRIMARY KEY,
    code      TEXT NOT NULL,
    card_no   TEXT NOT NULL,
    user_name TEXT NOT NULL,
    status    TEXT NOT NULL,
    prints    INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS records (
    id         INTEGER PRIMARY KEY,
    trans_type TEXT NOT NULL,
    created_at TEXT NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime')),
    body       TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS nonces (
    app_id  TEXT NOT NULL,
    nonce   TEXT NOT NULL,
    seen_ms INTEGER NOT NULL,
    PRIMARY KEY (app_id, nonce)
) WITHOUT ROWID;
-- The wristband the sample requests ask about.
INSERT OR IGNORE INTO wristbands (key, code, card_no, user_name, status)
    VALUES ('2345654322', 'WB2345654322', '13000000000', CAST(X'C0EECBC4' AS TEXT), 'active');
)sql";

}  // namespace

// A prepared statement, reset after use.
class Ledger::Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement& Bind(int i, const std::string& text) {
        sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int i, std::int64_t value) {
        sqlite3_bind_int64(stmt_, i, value);
        return *this;
    }
    bool Step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        if (rc == SQLITE_CONSTRAINT) throw std::logic_error(sqlite3_errmsg(db_));
        throw std::runtime_error(sqlite3_errmsg(db_));
    }
    std::string Text(int column) {
        auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return data ? std::string(data,
                                  static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                    : std::string();
    }
    std::int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

Ledger::Ledger(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        std::string error = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw std::runtime_error("cannot open ledger " + path + ": " + error);
    }
    sqlite3_busy_timeout(db_, 5000);
    // WAL with NORMAL sync: a committed business survives the process being killed.
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=NORMAL");
    Exec("PRAGMA foreign_keys=ON");
    Exec(kSchema);
}

Ledger::~Ledger() { sqlite3_close(db_); }

void Ledger::Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error(message);
    }
}

bool Ledger::RememberNonce(const std::string& appId, const std::string& nonce, std::int64_t nowMs) {
    Statement seen(db_, "SELECT 1 FROM nonces WHERE app_id = ?1 AND nonce = ?2");
    if (seen.Bind(1, appId).Bind(2, nonce).Step()) return false;
    Statement(db_, "INSERT INTO nonces (app_id, nonce, seen_ms) VALUES (?1, ?2, ?3)")
        .Bind(1, appId)
        .Bind(2, nonce)
        .Bind(3, nowMs)
        .Step();
    // Nonces older than the timestamp window can never be replayed: forget them now and then.
    if (++noncesAdded_ % 1000 == 0)
        Statement(db_, "DELETE FROM nonces WHERE seen_ms < ?1")
            .Bind(1, nowMs - 10 * 60 * 1000)
            .Step();
    return true;
}

std::optional<Charge> Ledger::FindCharge(const std::string& outChargeNo) {
    Statement s(db_,
                "SELECT out_charge_no, amount_cents, channel, created_at FROM charges WHERE "
                "out_charge_no = ?1");
    if (!s.Bind(1, outChargeNo).Step()) return std::nullopt;
    return Charge{s.Text(0), s.Int(1), s.Text(2), s.Text(3)};
}

void Ledger::AddCharge(const Charge& c, const std::string& body) {
    Statement(
        db_,
        "INSERT INTO charges (out_charge_no, amount_cents, channel, body) VALUES (?1, ?2, ?3, ?4)")
        .Bind(1, c.outChargeNo)
        .Bind(2, c.amountCents)
        .Bind(3, c.channel)
        .Bind(4, body)
        .Step();
}

std::optional<Refund> Ledger::FindRefund(const std::string& outRefundNo) {
    Statement s(db_,
                "SELECT out_refund_no, out_charge_no, amount_cents, created_at, answer FROM "
                "refunds WHERE out_refund_no = ?1");
    if (!s.Bind(1, outRefundNo).Step()) return std::nullopt;
    return Refund{s.Text(0), s.Text(1), s.Int(2), s.Text(3), s.Text(4)};
}

std::int64_t Ledger::RefundedCents(const std::string& outChargeNo) {
    Statement s(db_, "SELECT COALESCE(SUM(amount_cents), 0) FROM refunds WHERE out_charge_no = ?1");
    s.Bind(1, outChargeNo).Step();
    return s.Int(0);
}

void Ledger::AddRefund(const Refund& r, const std::string& body) {
    Statement(db_,
              "INSERT INTO refunds (out_refund_no, out_charge_no, amount_cents, answer, body) "
              "VALUES (?1, ?2, ?3, ?4, ?5)")
        .Bind(1, r.outRefundNo)
        .Bind(2, r.outChargeNo)
        .Bind(3, r.amountCents)
        .Bind(4, r.answer)
        .Bind(5, body)
        .Step();
}

std::optional<Wristband> Ledger::FindWristband(const std::string& key) {
    Statement s(
        db_, "SELECT key, code, card_no, user_name, status, prints FROM wristbands WHERE key = ?1");
    if (!s.Bind(1, key).Step()) return std::nullopt;
    return Wristband{s.Text(0), s.Text(1), s.Text(2),
                     s.Text(3), s.Text(4), static_cast<int>(s.Int(5))};
}

std::optional<Wristband> Ledger::ActiveWristbandOf(const std::string& cardNo) {
    Statement s(db_,
                "SELECT key FROM wristbands WHERE card_no = ?1 AND status = 'active' ORDER BY "
                "rowid DESC LIMIT 1");
    if (!s.Bind(1, cardNo).Step()) return std::nullopt;
    return FindWristband(s.Text(0));
}

void Ledger::SaveWristband(const Wristband& w) {
    Statement(db_,
              "INSERT INTO wristbands (key, code, card_no, user_name, status, prints) VALUES (?1, "
              "?2, ?3, ?4, ?5, ?6) "
              "ON CONFLICT(key) DO UPDATE SET status = excluded.status, prints = excluded.prints")
        .Bind(1, w.key)
        .Bind(2, w.code)
        .Bind(3, w.cardNo)
        .Bind(4, w.userName)
        .Bind(5, w.status)
        .Bind(6, static_cast<std::int64_t>(w.prints))
        .Step();
}

void Ledger::Record(const std::string& transType, const std::string& body) {
    Statement(db_, "INSERT INTO records (trans_type, body) VALUES (?1, ?2)")
        .Bind(1, transType)
        .Bind(2, body)
        .Step();
}

std::vector<Charge> Ledger::Charges() {
    std::lock_guard lock(mutex_);
    Statement s(db_,
                "SELECT out_charge_no, amount_cents, channel, created_at FROM charges ORDER BY "
                "created_at, out_charge_no");
    std::vector<Charge> all;
    while (s.Step()) all.push_back({s.Text(0), s.Int(1), s.Text(2), s.Text(3)});
    return all;
}

std::vector<Refund> Ledger::RefundsOf(const std::string& outChargeNo) {
    std::lock_guard lock(mutex_);
    Statement s(db_,
                "SELECT out_refund_no, out_charge_no, amount_cents, created_at, answer FROM "
                "refunds WHERE out_charge_no = ?1 ORDER BY created_at");
    std::vector<Refund> all;
    s.Bind(1, outChargeNo);
    while (s.Step()) all.push_back({s.Text(0), s.Text(1), s.Int(2), s.Text(3), s.Text(4)});
    return all;
}

std::string FormatCents(std::int64_t cents) {
    std::string units = std::to_string(cents / 100);
    std::string fraction = std::to_string(100 + cents % 100).substr(1);
    return units + "." + fraction;
}

}  // namespace sim

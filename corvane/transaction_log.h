#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

struct LogEntry {
    std::string transType;
    long long durationMs = 0;
    std::string outcome;  // "ok" or a failure code
    std::string options;  // the library's ini options in force
    std::string request;
    std::string answer;
};

// One file a day, "<program folder>/dlllog(Quenla)/YYYY-MM-DD.log", of at most 4 MiB: a file
// that would grow past that is renamed YYYY-MM-DD.old.log (replacing an earlier one of that
// day) and a new one begins, so a day keeps at most 8 MiB. Writing never fails an exchange: a
// log that cannot be written is skipped.
class TransactionLog {
public:
    static constexpr long long kDayLimit = 4 << 20;

    explicit TransactionLog(std::string folder, long long limit = kDayLimit)
        : folder_(std::move(folder)), limit_(limit) {}

    // Writes the entry with every secret in `secrets` masked.
    void Write(const LogEntry& entry, const std::vector<std::string>& secrets);

    static constexpr std::size_t kAnswerLimit = 4096;

private:
    std::string folder_;
    long long limit_;
    std::mutex mutex_;
};

// Replaces with '*' every run of four or more characters of any secret, however the JSON text
// spells them ("\u0048", "\/", ...).
std::string MaskSecrets(std::string text, const std::vector<std::string>& secrets);

}  // namespace corvane

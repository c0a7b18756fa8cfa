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

// One file a day, "<program folder>/dlllog(Quenla)/YYYY-MM-DD.log". Writing never fails an
// exchange: a log that cannot be written is skipped.
class TransactionLog {
public:
    explicit TransactionLog(std::string folder) : folder_(std::move(folder)) {}

    // Writes the entry with every secret in `secrets` masked.
    void Write(const LogEntry& entry, const std::vector<std::string>& secrets);

    static constexpr std::size_t kAnswerLimit = 4096;

private:
    std::string folder_;
    std::mutex mutex_;
};

// Replaces with '*' every run of four or more characters of any secret, however the JSON text
// spells them ("\u0048", "\/", ...).
std::string MaskSecrets(std::string text, const std::vector<std::string>& secrets);

}  // namespace corvane

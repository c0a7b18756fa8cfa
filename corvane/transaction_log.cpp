#include "corvane/transaction_log.h"

#include <cstdio>

#include "platform/dbcs.h"
#include "platform/files.h"
#include "platform/local_clock.h"

namespace corvane {

namespace {

// The secret as FastWriter writes it inside a string.
std::string JsonEscaped(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

void ReplaceAll(std::string& text, const std::string& what, std::string_view with) {
    if (what.empty()) return;
    for (std::size_t pos = 0; (pos = text.find(what, pos)) != std::string::npos; pos += with.size())
        text.replace(pos, what.size(), with);
}

}  // namespace

std::string MaskSecrets(std::string text, const std::vector<std::string>& secrets) {
    for (const std::string& secret : secrets) {
        ReplaceAll(text, JsonEscaped(secret), "******");
        ReplaceAll(text, secret, "******");
    }
    return text;
}

void TransactionLog::Write(const LogEntry& entry, const std::vector<std::string>& secrets) {
    platform::LocalTime t = platform::LocalNow();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    std::string_view answer = platform::CutGbk(entry.answer, kAnswerLimit);
    std::string text;
    text.append("[").append(stamp).append("] ").append(entry.transType).append(" ");
    text.append(std::to_string(entry.durationMs)).append(" ms ").append(entry.outcome).append("\n");
    text.append(entry.options).append("\nrequest:\n").append(entry.request);
    text.append("\nanswer:\n").append(answer);
    if (answer.size() < entry.answer.size())
        text.append("\n... (").append(std::to_string(entry.answer.size())).append(" bytes in all)");
    text = MaskSecrets(std::move(text), secrets) + "\n\n";

    std::string file = folder_ + "/" + std::string(stamp, 10) + ".log";
    std::lock_guard lock(mutex_);
    if (platform::MakeFolder(folder_)) platform::AppendToFile(file, text);
}

}  // namespace corvane

#include "corvane/transaction_log.h"

#include <cstdio>
#include <cstring>
#include <set>

#include "platform/dbcs.h"
#include "platform/files.h"
#include "platform/local_clock.h"

namespace corvane {

namespace {

constexpr std::size_t kRun = 4;  // no run this long of a secret's characters is logged

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The text as a JSON reader would see its characters, each with the bytes that spell it:
// "\u0041", "\/" and "\t" are one character each.
struct Spelled {
    char c;
    std::size_t begin, end;
};
std::vector<Spelled> Unescape(std::string_view text) {
    std::vector<Spelled> out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char e = text[i + 1];
            if (e == 'u' && i + 5 < text.size()) {
                int v = 0;
                bool hex = true;
                for (std::size_t k = i + 2; k < i + 6; ++k) {
                    int d = HexValue(text[k]);
                    hex = hex && d >= 0;
                    v = v * 16 + (d < 0 ? 0 : d);
                }
                if (hex) {
                    // Beyond ASCII a \u escape matches no byte of a secret.
                    out.push_back({v < 0x80 ? static_cast<char>(v) : '\0', i, i + 6});
                    i += 6;
                    continue;
                }
            }
            const char* from = "\"\\/bfnrt";
            const char* to = "\"\\/\b\f\n\r\t";
            if (const char* at = std::strchr(from, e); at != nullptr && e != '\0') {
                out.push_back({to[at - from], i, i + 2});
                i += 2;
                continue;
            }
        }
        out.push_back({text[i], i, i + 1});
        ++i;
    }
    return out;
}

}  // namespace

std::string MaskSecrets(std::string text, const std::vector<std::string>& secrets) {
    std::set<std::string_view> runs;
    for (const std::string& secret : secrets)
        for (std::size_t i = 0; i + kRun <= secret.size(); ++i)
            runs.insert(std::string_view(secret).substr(i, kRun));
    if (runs.empty()) return text;
    std::vector<Spelled> chars = Unescape(text);
    std::vector<bool> masked(text.size(), false);
    std::string window(kRun, '\0');
    for (std::size_t i = 0; i + kRun <= chars.size(); ++i) {
        for (std::size_t k = 0; k < kRun; ++k) window[k] = chars[i + k].c;
        if (runs.count(window) == 0) continue;
        for (std::size_t b = chars[i].begin; b < chars[i + kRun - 1].end; ++b) masked[b] = true;
    }
    for (std::size_t b = 0; b < text.size(); ++b)
        if (masked[b]) text[b] = '*';
    return text;
}

void TransactionLog::Write(const LogEntry& entry, const std::vector<std::string>& secrets) {
    platform::LocalTime t = platform::LocalNow();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    std::string text;
    text.append("[").append(stamp).append("] ").append(entry.transType).append(" ");
    text.append(std::to_string(entry.durationMs)).append(" ms ").append(entry.outcome).append("\n");
    text.append(entry.options).append("\nrequest:\n").append(entry.request);
    text.append("\nanswer:\n");
    // Masked a little past the cut, then cut: the cut never leaves the head of a secret behind,
    // and an answer of megabytes is not scanned for the 4 KiB logged of it.
    constexpr std::size_t kMargin = 64;  // longer than any spelling of a run of four
    std::size_t answerAt = text.size();
    text.append(platform::CutGbk(entry.answer, kAnswerLimit + kMargin));
    text = MaskSecrets(std::move(text), secrets);
    std::string_view answer =
        platform::CutGbk(std::string_view(text).substr(answerAt), kAnswerLimit);
    text.resize(answerAt + answer.size());
    if (answer.size() < entry.answer.size())
        text.append("\n... (").append(std::to_string(entry.answer.size())).append(" bytes in all)");
    text.append("\n\n");

    std::string day = folder_ + "/" + std::string(stamp, 10);
    std::lock_guard lock(mutex_);
    if (!platform::MakeFolder(folder_)) return;
    // A full day's log becomes <day>.old.log, replacing an earlier one of that day.
    long long size = platform::FileSize(day + ".log");
    if (size > 0 && size + static_cast<long long>(text.size()) > limit_)
        platform::RenameFile(day + ".log", day + ".old.log");
    platform::AppendToFile(day + ".log", text);
}

}  // namespace corvane

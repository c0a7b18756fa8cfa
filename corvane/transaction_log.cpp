#include "corvane/transaction_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "platform/dbcs.h"
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

// At most `limit` bytes, never ending inside a GBK character.
std::string_view CutAt(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = end + platform::CharLength(text, end);
        if (next > limit) break;
        end = next;
    }
    return text.substr(0, end);
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
    std::string_view answer = CutAt(entry.answer, kAnswerLimit);
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
    ::mkdir(folder_.c_str(), 0755);
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n <= 0) break;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    ::close(fd);
}

}  // namespace corvane

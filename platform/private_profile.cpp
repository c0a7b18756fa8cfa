#include "platform/private_profile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/dbcs.h"
#include "platform/file_store.h"

namespace platform {

namespace detail {

// Bare: a line without '=' inside a section. Reads pass over it as Windows does, but a write of
// a key of that name turns it into "key=value" in place, as Windows does too.
enum class LineKind { Other, Section, Key, Bare };

struct Line {
    std::size_t begin = 0;       // first byte of the line
    std::size_t contentEnd = 0;  // end of its text, before the line ending
    std::size_t end = 0;         // after the line ending
    LineKind kind = LineKind::Other;
    std::string_view name;       // section or key name, trimmed
    std::size_t valueBegin = 0;  // key lines: first byte after '='
};

}  // namespace detail

namespace {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

// Safe with GBK: a second byte is never a blank.
std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII letters match regardless of case; the two bytes of a GBK character match exactly.
bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        std::size_t n = CharLength(a, i);
        if (n == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
        i += n;
    }
    return true;
}

using detail::Line;
using detail::LineKind;

// Position of the last ']' that is a character of its own, or npos.
std::size_t LastClosingBracket(std::string_view s) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i))
        if (s[i] == ']') found = i;
    return found;
}

void Classify(std::string_view text, Line& line) {
    std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
    std::string_view body = TrimLeft(content);
    if (body.empty()) return;
    if (body.front() == '[') {
        std::size_t close = LastClosingBracket(body);
        if (close != std::string_view::npos && close > 0) {
            line.kind = LineKind::Section;
            line.name = Trim(body.substr(1, close - 1));
            return;
        }
    }
    // '=' is never the second byte of a GBK character.
    std::size_t eq = body.find('=');
    if (eq == std::string_view::npos) {
        line.kind = LineKind::Bare;
        line.name = TrimRight(body);
        return;
    }
    line.kind = LineKind::Key;
    line.name = TrimRight(body.substr(0, eq));
    line.valueBegin = line.begin + (content.size() - body.size()) + eq + 1;
}

std::vector<Line> ParseLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t pos = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < text.size()) {
        Line line;
        line.begin = pos;
        std::size_t eol = text.find_first_of("\r\n", pos);
        line.contentEnd = eol == std::string_view::npos ? text.size() : eol;
        line.end = line.contentEnd;
        if (line.end < text.size()) {
            bool crlf =
                text[line.end] == '\r' && line.end + 1 < text.size() && text[line.end + 1] == '\n';
            line.end += crlf ? 2 : 1;
        }
        Classify(text, line);
        lines.push_back(line);
        pos = line.end;
    }
    return lines;
}

std::string_view ValueOf(std::string_view text, const Line& line) {
    std::string_view value = Trim(text.substr(line.valueBegin, line.contentEnd - line.valueBegin));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

// Index of the first section named `name`, or npos.
std::size_t FindSection(const std::vector<Line>& lines, std::string_view name) {
    if (name.empty()) return std::string_view::npos;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == LineKind::Section && NamesEqual(lines[i].name, name)) return i;
    return std::string_view::npos;
}

// Calls f(index) for each key line of the section whose header is at `section`.
template <typename F>
void ForEachKey(const std::vector<Line>& lines, std::size_t section, F&& f) {
    for (std::size_t i = section + 1; i < lines.size() && lines[i].kind != LineKind::Section; ++i)
        if (lines[i].kind == LineKind::Key && !f(i)) return;
}

std::size_t CopyText(std::string_view text, char* buffer, std::size_t size) {
    std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

// Names, each ended by a NUL, then one more NUL; a list that does not fit is cut and the
// result is size - 2, as the Windows functions do.
std::size_t CopyList(const std::vector<std::string_view>& names, char* buffer, std::size_t size) {
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::size_t pos = 0;
    for (std::string_view name : names) {
        std::size_t room = size - 1 - pos;  // bytes before the final NUL
        if (name.size() + 1 > room) {
            // What fits before the two final NULs; nothing when the list already fills them.
            if (room > 1) std::memcpy(buffer + pos, name.data(), room - 1);
            buffer[size - 2] = '\0';
            buffer[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buffer + pos, name.data(), name.size());
        pos += name.size();
        buffer[pos++] = '\0';
    }
    buffer[pos] = '\0';
    return pos;
}

bool Fail(std::string* error, std::string text) {
    if (error != nullptr) *error = std::move(text);
    return false;
}

std::string_view FirstLineEnding(std::string_view text) {
    std::size_t eol = text.find_first_of("\r\n");
    if (eol == std::string_view::npos) return "\n";
    if (text[eol] == '\n') return "\n";
    return eol + 1 < text.size() && text[eol + 1] == '\n' ? "\r\n" : "\r";
}

bool HoldsLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

ProfileSnapshot::ProfileSnapshot(std::string_view fileName) {
    if (fileName.empty() || !ReadWholeFile(NativeFileName(fileName), content_)) content_.clear();
    lines_ = ParseLines(content_);
}

ProfileSnapshot::~ProfileSnapshot() = default;

std::optional<std::string_view> ProfileSnapshot::Find(std::string_view section,
                                                      std::string_view key) const {
    std::size_t found = FindSection(lines_, Trim(section));
    std::string_view wanted = Trim(key);
    if (found == std::string_view::npos || wanted.empty()) return std::nullopt;
    std::optional<std::string_view> value;
    ForEachKey(lines_, found, [&](std::size_t i) {
        if (!NamesEqual(lines_[i].name, wanted)) return true;
        value = ValueOf(content_, lines_[i]);
        return false;
    });
    return value;
}

std::size_t GetPrivateProfileText(const char* section, const char* key, const char* defaultValue,
                                  char* buffer, std::size_t size, const char* fileName) {
    if (size == 0 || buffer == nullptr) return 0;
    ProfileSnapshot file(fileName != nullptr ? fileName : "");
    const std::vector<Line>& lines = file.lines_;

    if (section == nullptr) {
        std::vector<std::string_view> names;
        for (const Line& line : lines)
            if (line.kind == LineKind::Section) names.push_back(line.name);
        return CopyList(names, buffer, size);
    }
    if (key == nullptr) {
        std::vector<std::string_view> names;
        std::size_t found = FindSection(lines, Trim(section));
        if (found != std::string_view::npos) {
            ForEachKey(lines, found, [&](std::size_t i) {
                // Comment lines are kept as keys but never listed.
                if (!lines[i].name.empty() && lines[i].name.front() != ';')
                    names.push_back(lines[i].name);
                return true;
            });
        }
        return CopyList(names, buffer, size);
    }
    if (std::optional<std::string_view> value = file.Find(section, key))
        return CopyText(*value, buffer, size);
    return CopyText(TrimRight(defaultValue != nullptr ? defaultValue : ""), buffer, size);
}

std::string EditProfileText(std::string_view content, std::string_view section,
                            std::string_view key, std::string_view value) {
    std::vector<Line> lines = ParseLines(content);
    std::string_view eol = FirstLineEnding(content);
    std::string entry = std::string(key) + "=" + std::string(value);
    std::string result;
    result.reserve(content.size() + entry.size() + section.size() + 8);

    std::size_t found = FindSection(lines, section);
    if (found == std::string_view::npos) {
        result.append(content);
        if (!result.empty() && result.back() != '\n' && result.back() != '\r') result.append(eol);
        result.append("[").append(section).append("]").append(eol);
        result.append(entry).append(eol);
        return result;
    }
    std::size_t anchor = found;
    std::size_t hit = std::string_view::npos;
    ForEachKey(lines, found, [&](std::size_t i) {
        if (NamesEqual(lines[i].name, key)) {
            hit = i;
            return false;
        }
        anchor = i;
        return true;
    });
    if (hit == std::string_view::npos) {
        // A bare line of that name, before the section ends, becomes the entry in place.
        for (std::size_t i = found + 1; i < lines.size() && lines[i].kind != LineKind::Section; ++i)
            if (lines[i].kind == LineKind::Bare && NamesEqual(lines[i].name, key)) {
                std::size_t start =
                    lines[i].begin + (lines[i].contentEnd - lines[i].begin) -
                    TrimLeft(content.substr(lines[i].begin, lines[i].contentEnd - lines[i].begin))
                        .size();
                result.append(content.substr(0, start)).append(entry);
                result.append(content.substr(lines[i].contentEnd));
                return result;
            }
    }
    if (hit != std::string_view::npos) {
        const Line& line = lines[hit];
        // Keep the blanks between '=' and the old value, unless the new value brings its own
        // (so that writing it again changes nothing).
        std::size_t start = line.valueBegin;
        bool ownBlanks = !value.empty() && IsBlank(value.front());
        while (!ownBlanks && start < line.contentEnd && IsBlank(content[start])) ++start;
        result.append(content.substr(0, start)).append(value);
        result.append(content.substr(line.contentEnd));
        return result;
    }
    const Line& after = lines[anchor];
    result.append(content.substr(0, after.end));
    if (after.end == after.contentEnd) result.append(eol);  // last line had no line ending
    result.append(entry).append(eol);
    result.append(content.substr(after.end));
    return result;
}

bool WritePrivateProfileText(std::string_view section, std::string_view key, std::string_view value,
                             std::string_view fileName, std::string* error) {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty()) return Fail(error, "empty section or key name");
    if (HoldsLineBreakOrNul(section) || HoldsLineBreakOrNul(key) || HoldsLineBreakOrNul(value))
        return Fail(error, "a line break or NUL in a name or value is refused");
    if (key.front() == '[') return Fail(error, "a key may not start with '['");
    // Such a name would swallow the ']' or '=' after it and never be found again.
    if (EndsInsideCharacter(section) || EndsInsideCharacter(key))
        return Fail(error, "a section or key name ends in half a GBK character");

    return EditFileLocked(
        NativeFileName(fileName),
        [&](const std::string& content) { return EditProfileText(content, section, key, value); },
        error);
}

}  // namespace platform

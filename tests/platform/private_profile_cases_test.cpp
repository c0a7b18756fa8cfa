// Replays what the Windows profile functions returned (tests/data/ini-windows-cases/*.out)
// against our reader: same file bytes in, same count, buffer and untouched tail out.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <variant>
#include <vector>

#include "platform/private_profile.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::TempDir;

// Reads one token: NULL, a bare word, or a double-quoted string with the escapes
// \r \n \t \\ \" \' \0 \xNN.
class Tokens {
public:
    explicit Tokens(std::string_view line) : rest_(line) {}

    std::optional<std::string> Next() {
        while (!rest_.empty() && rest_.front() == ' ') rest_.remove_prefix(1);
        if (rest_.empty()) throw std::runtime_error("missing token");
        if (rest_.front() != '"') {
            std::size_t end = std::min(rest_.find(' '), rest_.size());
            std::string word(rest_.substr(0, end));
            rest_.remove_prefix(end);
            if (word == "NULL") return std::nullopt;
            return word;
        }
        std::string text;
        std::size_t i = 1;
        for (; i < rest_.size() && rest_[i] != '"'; ++i) {
            if (rest_[i] != '\\') {
                text += rest_[i];
                continue;
            }
            char e = rest_[++i];
            switch (e) {
                case 'r':
                    text += '\r';
                    break;
                case 'n':
                    text += '\n';
                    break;
                case 't':
                    text += '\t';
                    break;
                case '0':
                    text += '\0';
                    break;
                case 'x':
                    text += static_cast<char>(
                        std::stoi(std::string(rest_.substr(i + 1, 2)), nullptr, 16));
                    i += 2;
                    break;
                default:
                    text += e;
            }
        }
        rest_.remove_prefix(i + 1);
        return text;
    }

    // "name=value" where value is a token.
    std::optional<std::string> Named(std::string_view name) {
        while (!rest_.empty() && rest_.front() == ' ') rest_.remove_prefix(1);
        if (!rest_.starts_with(name) || rest_.substr(name.size(), 1) != "=")
            throw std::runtime_error("expected " + std::string(name));
        rest_.remove_prefix(name.size() + 1);
        return Next();
    }

private:
    std::string_view rest_;
};

struct Read {
    std::string file;
    std::optional<std::string> section, key, defaultValue;
    std::size_t size = 0;
    std::size_t ret = 0;
    std::string buf;
    std::string tail;  // hex bytes after buf: "00cc", "00" or "" (nothing written)
    std::string where;
};

struct Write {
    std::string file, section, key, value;
};

struct Dump {
    std::string file;
    std::optional<std::string> bytes;  // none: the file does not exist
};

struct Case {
    std::string name;
    std::vector<std::pair<std::string, std::string>> files;  // init name, bytes
    std::vector<std::variant<Read, Write, Dump>> steps;
};

Case LoadCase(const std::filesystem::path& out) {
    Case c;
    c.name = out.stem().string();
    std::ifstream in(out);
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(in, line)) lines.push_back(line);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (l.starts_with("init ")) {
            std::string name = l.substr(5, l.find(' ', 5) - 5);
            std::string bytes;
            while (i + 1 < lines.size() && lines[i + 1].starts_with("   | "))
                bytes += *Tokens(lines[++i].substr(5)).Next();
            c.files.emplace_back(name, bytes);
        } else if (l.starts_with("read ")) {
            Tokens t(std::string_view(l).substr(5));
            Read r;
            r.where = c.name + ": " + l;
            r.file = *t.Next();
            r.section = t.Next();
            r.key = t.Next();
            r.size = std::stoul(*t.Named("size"));
            r.defaultValue = t.Named("def");
            const std::string& answer = lines[++i];
            Tokens result(std::string_view(answer).substr(answer.find("=> ") + 3));
            r.ret = std::stoul(*result.Named("ret"));
            r.buf = *result.Named("buf");
            std::string tail = *result.Named("tail");
            r.tail = tail == "-" ? "" : tail;
            c.steps.push_back(r);
        } else if (l.starts_with("write ")) {
            Tokens t(std::string_view(l).substr(6));
            Write w;
            w.file = *t.Next();
            w.section = *t.Next();
            w.key = *t.Next();
            w.value = *t.Next();
            c.steps.push_back(w);
        } else if (l.starts_with("dump ")) {
            Dump d{l.substr(5), std::nullopt};
            if (lines[++i].find("=> missing") == std::string::npos) {
                d.bytes = "";
                while (i + 1 < lines.size() && lines[i + 1].starts_with("     | "))
                    *d.bytes += *Tokens(lines[++i].substr(7)).Next();
            }
            c.steps.push_back(d);
        }
    }
    return c;
}

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (const auto& entry :
         std::filesystem::directory_iterator(testing_support::TestDataDir() / "ini-windows-cases"))
        if (entry.path().extension() == ".out") cases.push_back(LoadCase(entry.path()));
    std::sort(cases.begin(), cases.end(), [](auto& a, auto& b) { return a.name < b.name; });
    return cases;
}

TEST(PrivateProfileCases, EveryWindowsResultIsReproduced) {
    std::vector<Case> cases = AllCases();
    ASSERT_GE(cases.size(), 20u) << "reference cases not found";
    std::size_t reads = 0;
    for (const Case& c : cases) {
        TempDir dir;
        for (const auto& [name, bytes] : c.files)
            testing_support::WriteFileBytes(dir.file(name), bytes);
        for (const auto& step : c.steps) {
            if (const Write* w = std::get_if<Write>(&step)) {
                EXPECT_TRUE(platform::WritePrivateProfileText(w->section, w->key, w->value,
                                                              dir.file(w->file)))
                    << c.name << ": write " << w->key;
                continue;
            }
            if (const Dump* d = std::get_if<Dump>(&step)) {
                std::string file = dir.file(d->file);
                EXPECT_EQ(std::filesystem::exists(file), d->bytes.has_value()) << c.name;
                if (d->bytes) {
                    EXPECT_EQ(testing_support::ReadFileBytes(file), *d->bytes) << c.name;
                }
                continue;
            }
            const Read& r = std::get<Read>(step);
            SCOPED_TRACE(r.where);
            std::vector<char> buffer(r.size + 1, static_cast<char>(0xCC));
            std::string file = dir.file(r.file);
            std::size_t ret = platform::GetPrivateProfileText(
                r.section ? r.section->c_str() : nullptr, r.key ? r.key->c_str() : nullptr,
                r.defaultValue ? r.defaultValue->c_str() : nullptr, buffer.data(), r.size,
                file.c_str());
            EXPECT_EQ(ret, r.ret);
            EXPECT_EQ(std::string(buffer.data(), std::min(r.buf.size(), r.size)), r.buf);
            for (std::size_t t = 0; t * 2 < r.tail.size(); ++t) {
                auto expected =
                    static_cast<unsigned char>(std::stoi(r.tail.substr(t * 2, 2), nullptr, 16));
                EXPECT_EQ(static_cast<unsigned char>(buffer[r.buf.size() + t]), expected)
                    << "tail byte " << t;
            }
            // Nothing is written past the buffer the caller gave.
            EXPECT_EQ(static_cast<unsigned char>(buffer[r.size]), 0xCC);
            ++reads;
        }
    }
    EXPECT_GE(reads, 80u);
}

}  // namespace

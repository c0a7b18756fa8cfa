#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "platform/private_profile.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::EditProfileText;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

// Joins texts and numbers; "literal" + std::to_string() trips a false GCC 12 warning at -O3.
template <typename... Parts>
std::string Cat(const Parts&... parts) {
    std::string text;
    auto add = [&](const auto& part) {
        if constexpr (std::is_arithmetic_v<std::decay_t<decltype(part)>>)
            text += std::to_string(part);
        else
            text += part;
    };
    (add(parts), ...);
    return text;
}

std::string Read(const std::string& file, const char* section, const char* key) {
    char buffer[256];
    platform::GetPrivateProfileText(section, key, "", buffer, sizeof buffer, file.c_str());
    return buffer;
}

struct EditCase {
    const char* what;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

TEST(PrivateProfileWrite, EditsTouchOnlyWhatTheyMust) {
    const EditCase cases[] = {
        {"new file", "", "SETTING", "url", "http://x", "[SETTING]\nurl=http://x\n"},
        {"replace keeps place, spelling and blanks", "[Setting]\r\n  URL = old \r\nb=1\r\n",
         "SETTING", "url", "new", "[Setting]\r\n  URL = new\r\nb=1\r\n"},
        {"new key after the section's last key, before blank lines and the next section",
         "[S]\r\na=1\r\n\r\n[T]\r\nx=1\r\n", "s", "b", "2",
         "[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\nx=1\r\n"},
        {"new section at the end, file's own line ending", "[S]\r\na=1\r\n", "T", "k", "v",
         "[S]\r\na=1\r\n[T]\r\nk=v\r\n"},
        {"last line without line ending", "[S]\na=1", "S", "b", "2", "[S]\na=1\nb=2\n"},
        {"empty value kept as key=", "[S]\nk=v\n", "S", "k", "", "[S]\nk=\n"},
        {"first of duplicated keys", "[S]\nk=1\nk=2\n", "S", "K", "3", "[S]\nk=3\nk=2\n"},
        {"first of duplicated sections", "[S]\na=1\n[s]\nb=2\n", "S", "b", "3",
         "[S]\na=1\nb=3\n[s]\nb=2\n"},
        {"comments and odd lines stay", "; note\n[S]\n# not special\njunk\nk=1\n", "S", "k", "2",
         "; note\n[S]\n# not special\njunk\nk=2\n"},
        {"GBK value with trail byte 0x5C", "[S]\nk=v\n", "S", "k", "\xD5\x5C", "[S]\nk=\xD5\x5C\n"},
        {"CR-only file", "[S]\ra=1\r", "S", "b", "2", "[S]\ra=1\rb=2\r"},
    };
    for (const EditCase& c : cases)
        EXPECT_EQ(EditProfileText(c.before, c.section, c.key, c.value), c.after) << c.what;
}

TEST(PrivateProfileWrite, WritesThroughTheFileAndReadsBack) {
    TempDir dir;
    std::string file = dir.file("a.ini");
    ASSERT_TRUE(platform::WritePrivateProfileText("SETTING", "PosChannl",
                                                  "\xD2\xF8\xC1\xAA\xBF\xA8", file));
    ASSERT_TRUE(platform::WritePrivateProfileText("SETTING", "appid", "", file));
    EXPECT_EQ(ReadFileBytes(file), "[SETTING]\nPosChannl=\xD2\xF8\xC1\xAA\xBF\xA8\nappid=\n");
    EXPECT_EQ(Read(file, "setting", "poschannl"), "\xD2\xF8\xC1\xAA\xBF\xA8");
}

TEST(PrivateProfileWrite, RefusesLineBreaksAndBadNamesAndLeavesTheFile) {
    TempDir dir;
    std::string file = dir.file("a.ini");
    WriteFileBytes(file, "[S]\nk=v\n");
    struct {
        const char* section;
        const char* key;
        std::string value;
    } refused[] = {
        {"S", "k", "x\n[T]\ny=1"},
        {"S", "k", "x\ry"},
        {"S\n", "k", "v"},
        {"S", "k\r\nz", "v"},
        {"S", "", "v"},
        {"", "k", "v"},
        {"S", "[T]", "v"},
        {"S", "k", std::string("a\0b", 3)},
    };
    for (const auto& r : refused) {
        std::string error;
        EXPECT_FALSE(platform::WritePrivateProfileText(r.section, r.key, r.value, file, &error))
            << r.key;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(ReadFileBytes(file), "[S]\nk=v\n");
}

TEST(PrivateProfileWrite, AFullDiskFailsTheWriteAndKeepsTheOldFile) {
    TempDir dir;
    std::string file = dir.file("a.ini");
    WriteFileBytes(file, "[S]\nk=v\n");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A file-size limit makes writes fail as a full disk does, for root too.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        bool written =
            platform::WritePrivateProfileText("S", "k", std::string(100, 'x'), file, &error);
        ::_exit(!written && error.find("a.ini") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFileBytes(file), "[S]\nk=v\n");
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename(), "a.ini") << "temporary file left behind";
}

TEST(PrivateProfileWrite, MissingFolderIsAnError) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(
        platform::WritePrivateProfileText("S", "k", "v", dir.file("no/such/a.ini"), &error));
    EXPECT_NE(error.find("no/such/a.ini"), std::string::npos) << error;
}

// A file of 200 keys plus one key whose value a writer keeps changing.
std::string Base() {
    std::string text = "[S]\n";
    for (int i = 0; i < 200; ++i)
        text.append("key")
            .append(std::to_string(i))
            .append("=value number ")
            .append(std::to_string(i))
            .append("\n");
    return text;
}

void ExpectWhole(const std::string& file) {
    for (int i = 0; i < 200; i += 7)
        ASSERT_EQ(Read(file, "S", Cat("key", i).c_str()), Cat("value number ", i));
    std::string changing = Read(file, "S", "changing");
    ASSERT_TRUE(changing.empty() || changing.starts_with("round ")) << changing;
}

TEST(PrivateProfileWrite, AWriterKilledMidWriteNeverLeavesATornFile) {
    TempDir dir;
    std::string file = dir.file("a.ini");
    WriteFileBytes(file, Base());
    std::mt19937 random(42);
    for (int round = 0; round < 40; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 0;; ++n)
                platform::WritePrivateProfileText("S", "changing", Cat("round ", n), file);
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(200, 3000)(random));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ExpectWhole(file);
    }
}

TEST(PrivateProfileWrite, TwoProcessesWritingAtOnceLoseNoKey) {
    TempDir dir;
    std::string file = dir.file("a.ini");
    pid_t children[2];
    for (int p = 0; p < 2; ++p) {
        children[p] = ::fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0) {
            bool ok = true;
            for (int i = 0; i < 500; ++i) {
                std::string key = Cat("p", p, "k", i);
                ok = platform::WritePrivateProfileText("S", key, std::to_string(i), file) && ok;
            }
            ::_exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int p = 0; p < 2; ++p)
        for (int i = 0; i < 500; ++i)
            ASSERT_EQ(Read(file, "S", Cat("p", p, "k", i).c_str()), std::to_string(i));
}

}  // namespace

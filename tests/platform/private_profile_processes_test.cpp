// Writers in other processes: killed, starved of disk, or writing at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "platform/private_profile.h"
#include "tests/platform/profile_helpers.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::Cat;
using testing_support::Read;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

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

// Without a file yet, and with SIGXFSZ left as it is: the write fails, the process lives on, and
// the folder stays as it was.
TEST(PrivateProfileWrite, AFailedFirstWriteLeavesTheFolderAsItWas) {
    TempDir dir;
    std::string file = dir.file("a.ini");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        bool written =
            platform::WritePrivateProfileText("S", "k", std::string(100, 'x'), file, &error);
        ::_exit(!written && !error.empty() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "killed by signal?";
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(PrivateProfileWrite, LeftoversOfKilledWritersAreRemovedByTheNextWrite) {
    TempDir dir;
    std::string file = dir.file("a.ini");
    WriteFileBytes(dir.file(".a.ini.Xy12Zq"), "[S]\nsecret=half written");
    WriteFileBytes(dir.file(".a.ini.kept"), "not a temporary file of ours");
    WriteFileBytes(dir.file(".b.ini.Xy12Zq"), "another file's");
    ASSERT_TRUE(platform::WritePrivateProfileText("S", "k", "v", file));
    EXPECT_FALSE(std::filesystem::exists(dir.file(".a.ini.Xy12Zq")));
    EXPECT_TRUE(std::filesystem::exists(dir.file(".a.ini.kept")));
    EXPECT_TRUE(std::filesystem::exists(dir.file(".b.ini.Xy12Zq")));
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

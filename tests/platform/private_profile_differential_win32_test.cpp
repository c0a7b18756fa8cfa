// The project's ini reader against the system's GetPrivateProfileStringA, on generated files.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/private_profile.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFileBytes;

const char* const kSections[] = {"[S]", "[ S ]", "[s]", "[S2]", "[\xD6\xD0]", "[S]x", "  [S]"};
// No line without '=': Windows does not take it for a key (recorded case 12), Wine takes it for
// a key with an empty value; the reader follows Windows.
const char* const kLines[] = {
    "k=v",       " k = v ",  "K=w",   "k=\"q\"",           "k=' q '",  "k=\" q \"", ";k=c",
    "=v",        "k==v",     "k=v;c", "\xD6\xD0=\xCE\xC4", "k=\xD5\\", "k2=x",      "k = ",
    "k\t=\tt\t", "k=a\"b\"", "",      "k=\"open",
};
const char* const kEndings[] = {"\n", "\r\n"};
const char* const kQuerySections[] = {"S", "s", "S2", "\xD6\xD0", "missing", " S "};
const char* const kQueryKeys[] = {"k", "K", "k2", "\xD6\xD0", "missing", " k "};

TEST(PrivateProfileDifferential, ReadsAsTheSystemReads) {
    TempDir dir;
    std::string file = dir.file("generated.ini");
    std::mt19937 random(7);
    int compared = 0, differing = 0;
    std::string firstDifferences;
    for (int round = 0; round < 1000; ++round) {
        std::string text;
        const char* eol = kEndings[random() % 2];
        int lines = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < lines; ++i) {
            if (random() % 3 == 0)
                text += kSections[random() % std::size(kSections)];
            else
                text += kLines[random() % std::size(kLines)];
            if (random() % 7 == 0) text += std::string(300, 'L');
            text += eol;
        }
        WriteFileBytes(file, text);
        for (const char* section : kQuerySections) {
            for (const char* key : kQueryKeys) {
                char ours[256] = {}, system[256] = {};
                platform::GetPrivateProfileText(section, key, "", ours, sizeof ours, file.c_str());
                ::GetPrivateProfileStringA(section, key, "", system, sizeof system, file.c_str());
                ++compared;
                if (std::string(ours) != system) {
                    ++differing;
                    if (differing <= 10)
                        firstDifferences += "file \"" + text + "\" [" + section + "] " + key +
                                            ": ours \"" + ours + "\", system \"" + system + "\"\n";
                }
            }
        }
    }
    EXPECT_EQ(differing, 0) << differing << " of " << compared << " reads differ:\n"
                            << firstDifferences;
}

}  // namespace

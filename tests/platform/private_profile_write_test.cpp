#include <gtest/gtest.h>

#include <vector>

#include "platform/private_profile.h"
#include "tests/platform/profile_helpers.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::EditProfileText;
using testing_support::Read;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

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
        // As Windows does: the bare line becomes the entry where it stands.
        {"a bare line of the key", "[S]\nflag\nk=v\n", "S", "flag", "on", "[S]\nflag=on\nk=v\n"},
        {"a bare line, blanks kept before it", "[S]\n  FLAG  \r\n", "S", "flag", "on",
         "[S]\n  flag=on\r\n"},
        {"a bare line in another section stays", "[T]\nflag\n[S]\n", "S", "flag", "on",
         "[T]\nflag\n[S]\nflag=on\n"},
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

// Found by fuzzing: writing the same value twice must change nothing the second time.
TEST(PrivateProfileWrite, WritingAValueAgainChangesNothing) {
    for (const char* value : {"\tk", " padded ", "plain", ""}) {
        std::string once = EditProfileText("[S]\nk = old\n", "S", "k", value);
        EXPECT_EQ(EditProfileText(once, "S", "k", value), once) << value;
    }
    EXPECT_EQ(EditProfileText("[S]\nk = old\n", "S", "k", "new"), "[S]\nk = new\n");
    // A name ending in half a GBK character would swallow its ']' or '='.
    TempDir dir;
    std::string error;
    EXPECT_FALSE(platform::WritePrivateProfileText("\xB6", "k", "v", dir.file("a.ini"), &error));
    EXPECT_FALSE(platform::WritePrivateProfileText("S", "k\xB6", "v", dir.file("a.ini"), &error));
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.ini")));
}

// Lists that fill the buffer up to its last byte, or beyond it, end inside it.
TEST(PrivateProfileList, ListsEndWithTheirTerminatorsInsideTheBuffer) {
    TempDir dir;
    std::string file = dir.file("a.ini");
    WriteFileBytes(file, "[ab]\n[c]\nk1=1\nk22=2\n");
    const struct {
        const char* section;
        std::size_t size;
        std::size_t result;
        std::string list;
    } cases[] = {
        {nullptr, 64, 5, std::string("ab\0c\0\0", 6)},
        {nullptr, 4, 2, std::string("ab\0\0", 4)},  // "ab" fills all but the last byte
        {nullptr, 3, 1, std::string("a\0\0", 3)},
        {nullptr, 2, 0, std::string("\0\0", 2)},
        {"c", 64, 7, std::string("k1\0k22\0\0", 8)},
        {"c", 4, 2, std::string("k1\0\0", 4)},
    };
    for (const auto& c : cases) {
        std::vector<char> buffer(c.size + 1, '\x7F');  // one guard byte past the end
        std::size_t n = platform::GetPrivateProfileText(c.section, nullptr, "", buffer.data(),
                                                        c.size, file.c_str());
        EXPECT_EQ(n, c.result) << (c.section ? c.section : "sections") << " into " << c.size;
        EXPECT_EQ(std::string(buffer.data(), c.list.size()), c.list) << c.size;
        EXPECT_EQ(buffer[c.size], '\x7F') << "written past the buffer of " << c.size;
    }
}

TEST(PrivateProfileWrite, MissingFolderIsAnError) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(
        platform::WritePrivateProfileText("S", "k", "v", dir.file("no/such/a.ini"), &error));
    EXPECT_NE(error.find("no/such/a.ini"), std::string::npos) << error;
}

}  // namespace

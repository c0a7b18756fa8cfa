#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_store.h"

namespace platform {

namespace detail {
struct Line;
}

// Private-profile (ini) files as the Windows profile functions read them: section and key
// names match regardless of ASCII case, blanks around names and values are dropped, one pair
// of enclosing quotes is removed, CRLF, LF and CR line endings read alike, and GBK characters
// are whole characters.

// Reads like GetPrivateProfileStringA: copies the value of `key` in `section` of `fileName`
// into `buffer` (NUL-terminated, at most size - 1 bytes) and returns the number of bytes
// copied. A missing file, section or key yields `defaultValue` (trailing blanks dropped, null
// meaning empty). A null `key` lists the keys of the section, a null `section` the section
// names, each ended by a NUL and the list by one more. Writes nothing when size is 0.
std::size_t GetPrivateProfileText(const char* section, const char* key, const char* defaultValue,
                                  char* buffer, std::size_t size, const char* fileName);

// One read of an ini file, for several lookups under the rules above. A missing or unreadable
// file reads as empty.
class ProfileSnapshot {
public:
    explicit ProfileSnapshot(std::string_view fileName);
    ~ProfileSnapshot();
    ProfileSnapshot(const ProfileSnapshot&) = delete;
    ProfileSnapshot& operator=(const ProfileSnapshot&) = delete;

    // The value of `key` in `section` (blanks and one pair of quotes removed), or none when the
    // section or the key is missing.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

private:
    friend std::size_t GetPrivateProfileText(const char*, const char*, const char*, char*,
                                             std::size_t, const char*);
    std::string content_;
    std::vector<detail::Line> lines_;  // views into content_
};

// Stores `key=value` in `section` of `fileName`, creating the file, the section and the key as
// needed. A replaced value keeps its line; a new key goes after the last key of its section, a
// new section at the end of the file; every other byte stays as it was. The file is replaced
// atomically under an advisory lock. Names or values holding CR, LF or NUL, empty names and a
// key starting with '[' are refused. On failure nothing changes and `error` says why.
bool WritePrivateProfileText(std::string_view section, std::string_view key, std::string_view value,
                             std::string_view fileName, std::string* error = nullptr);

// The edit WritePrivateProfileText applies to the file's bytes; exposed for tests.
std::string EditProfileText(std::string_view content, std::string_view section,
                            std::string_view key, std::string_view value);

}  // namespace platform

// The ini writer's edit on any file: writing the same value twice changes nothing the second
// time (a second write never appends another line).
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/dbcs.h"
#include "platform/private_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    // Section, key and value up to a NUL each (none may hold a line break); the rest is the file.
    std::size_t a = input.find('\0');
    std::size_t b = a == std::string::npos ? std::string::npos : input.find('\0', a + 1);
    std::size_t c = b == std::string::npos ? std::string::npos : input.find('\0', b + 1);
    if (c == std::string::npos) return 0;
    std::string section = input.substr(0, a), key = input.substr(a + 1, b - a - 1),
                value = input.substr(b + 1, c - b - 1), content = input.substr(c + 1);
    // Names and values as the writer accepts them: no line break, a key without '=' that does
    // not start with '[', names without their blanks and not ending in half a character.
    for (const std::string& s : {section, key, value})
        if (s.find_first_of("\r\n") != std::string::npos) return 0;
    auto trimmed = [](const std::string& s) {
        return !s.empty() && s.front() != ' ' && s.front() != '\t' && s.back() != ' ' &&
               s.back() != '\t' && !platform::EndsInsideCharacter(s);
    };
    if (!trimmed(section) || !trimmed(key) || key.find('=') != std::string::npos || key[0] == '[')
        return 0;
    std::string once = platform::EditProfileText(content, section, key, value);
    std::string twice = platform::EditProfileText(once, section, key, value);
    if (twice != once) __builtin_trap();
    return 0;
}

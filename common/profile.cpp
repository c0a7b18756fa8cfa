#include "common/profile.h"

#include "platform/private_profile.h"

std::string ReadProfileValue(const std::string& file, const std::string& section,
                             const std::string& key) {
    char buffer[256] = {};
    platform::GetPrivateProfileText(section.c_str(), key.c_str(), "", buffer, sizeof buffer,
                                    file.c_str());
    return buffer;
}

bool WriteProfileValue(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& value, std::string* error) {
    // The file would take such a key, but every later read splits it at its '=' and a rewrite
    // appends yet another line: never write one.
    if (key.find('=') != std::string::npos) {
        if (error != nullptr) *error = "a key holding '=' can never be read back: " + key;
        return false;
    }
    return platform::WritePrivateProfileText(section, key, value, file, error);
}

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
    return platform::WritePrivateProfileText(section, key, value, file, error);
}

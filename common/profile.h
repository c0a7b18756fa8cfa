#pragma once

#include <string>

// The ini files the tool uses, relative to the current directory.
inline constexpr const char* kToolIni = ".\\Veltrano.ini";
inline constexpr const char* kLibraryIni = ".\\corvane.ini";
inline constexpr const char* kSettingSection = "SETTING";

// The stored value, or the empty text when the file, section or key is missing; at most
// 255 bytes.
std::string ReadProfileValue(const std::string& file, const std::string& section,
                             const std::string& key);

// Stores the value, creating file, section and key as needed; an empty value is kept as
// "key=". Returns false (and leaves the file as it was) when the value cannot be stored, or the
// key holds '=' (it could never be read back).
bool WriteProfileValue(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& value, std::string* error = nullptr);

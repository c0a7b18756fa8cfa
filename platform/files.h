#pragma once

#include <string>
#include <string_view>

namespace platform {

// Creates the folder unless it exists; false when it cannot be had.
bool MakeFolder(const std::string& path);

// Appends `bytes` to the file, creating it readable by its owner only; false when not every
// byte was written.
bool AppendToFile(const std::string& path, std::string_view bytes);

// The file's size in bytes, or -1 when it cannot be had.
long long FileSize(const std::string& path);

// Renames `from` to `to`, replacing `to`; false on failure.
bool RenameFile(const std::string& from, const std::string& to);

}  // namespace platform

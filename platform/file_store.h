#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Whole-file reads and locked, atomic edits, for the ini layer.

// Maps a Windows-style file name (".\Veltrano.ini") to this platform's spelling.
std::string NativeFileName(std::string_view fileName);

// The file's bytes; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& out);

// Holds an exclusive lock that other processes' edits respect, reads the file (creating it
// empty when missing), and when `edit` changes its bytes replaces it atomically: a temporary
// file beside it, then a rename, keeping its permissions. A crash never leaves a torn file. On
// failure `error` says why.
bool EditFileLocked(const std::string& path,
                    const std::function<std::string(const std::string& content)>& edit,
                    std::string* error);

}  // namespace platform

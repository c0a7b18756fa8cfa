#pragma once

#include <string>

namespace platform {

// The folder of the running executable, with its trailing separator; empty if unknown.
std::string ExecutableFolder();

// The folder of the module (program or shared library) that holds `address`, without a
// trailing separator; empty if unknown.
std::string ModuleFolder(const void* address);

// The folder that holds `folder` (no trailing separator); "." when there is none.
std::string ParentFolder(const std::string& folder);

}  // namespace platform

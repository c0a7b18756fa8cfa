#pragma once

#include <string>

namespace platform {

// The folder of the running executable, with its trailing separator; empty if unknown.
std::string ExecutableFolder();

}  // namespace platform

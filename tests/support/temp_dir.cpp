#include "tests/support/temp_dir.h"

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testing_support {

TempDir::TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate =
            std::filesystem::temp_directory_path() / ("corvane-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ScopedCurrentDir::ScopedCurrentDir(const std::filesystem::path& dir)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
}

ScopedCurrentDir::~ScopedCurrentDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string BuildPath(const char* path) {
    std::string p(path);
    if (std::filesystem::path::preferred_separator == '\\' && !p.empty() && p[0] == '/')
        return "Z:" + p;
    return p;
}

void SleepMs(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::filesystem::path TestDataDir() {
    return std::filesystem::path(CORVANE_SOURCE_DIR) / "tests" / "data";
}

}  // namespace testing_support

#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// A fresh folder that is removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Makes a folder the current directory for the object's lifetime.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::filesystem::path& dir);
    ~ScopedCurrentDir();

private:
    std::filesystem::path previous_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// A path the build named, as the program under test spells it: a Windows program running
// under Wine finds the Unix root on drive Z:.
std::string BuildPath(const char* path);

// Sleeps; for sources compiled to GBK, where <chrono> cannot be included.
void SleepMs(int milliseconds);

// The folder of the test data in the source tree.
std::filesystem::path TestDataDir();

}  // namespace testing_support

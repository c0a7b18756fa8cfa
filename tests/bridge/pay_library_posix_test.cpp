// What only Linux shows: the loader's own state, and the program copied into odd folders.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "bridge/pay_library.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;

TEST(LoadOnLinux, ALibraryWithoutTheEntryDoesNotStayLoaded) {
    CPayLibrary library({}, LibraryMode::InProcess);
    EXPECT_FALSE(library.LoadFrom(NO_ENTRY_LIBRARY));
    EXPECT_EQ(::dlopen(NO_ENTRY_LIBRARY, RTLD_NOW | RTLD_NOLOAD), nullptr) << "still loaded";
}

TEST(LoadOnLinux, AMissingDependencyIsNamed) {
    for (LibraryMode mode : {LibraryMode::OutOfProcess, LibraryMode::InProcess}) {
        LoadFailure seen;
        CPayLibrary library([&](const LoadFailure& f) { seen = f; }, mode);
        EXPECT_FALSE(library.LoadFrom(MISSING_DEPENDENCY_LIBRARY));
        EXPECT_NE(seen.detail.find("libmissing_helper"), std::string::npos) << seen.detail;
    }
}

std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    char chunk[512];
    while (pipe != nullptr && std::fgets(chunk, sizeof chunk, pipe) != nullptr) out += chunk;
    if (pipe != nullptr) ::pclose(pipe);
    return out;
}

TEST(LoadBesideTheProgram, FoundFromAnyFolderEvenAChineseOne) {
    TempDir dir;
    // The folder name is UTF-8, as Linux spells it.
    fs::path program = dir.path() / "\xE6\x94\xAF\xE4\xBB\x98 \xE6\xB5\x8B\xE8\xAF\x95";
    fs::create_directories(program / "dll");
    fs::copy_file(BRIDGE_PROBE, program / "bridge_probe");
    fs::copy_file(CORVANE_HOST, program / "corvane-host");
    fs::permissions(program / "bridge_probe", fs::perms::owner_all);
    fs::permissions(program / "corvane-host", fs::perms::owner_all);
    fs::create_directories(dir.path() / "elsewhere");

    std::string command = "cd '" + (dir.path() / "elsewhere").string() + "' && '" +
                          (program / "bridge_probe").string() + "'";
    EXPECT_NE(RunCommand(command).find("failure 126 " + (program / "dll/libcorvane.so").string()),
              std::string::npos);

    fs::copy_file(RECORDING_LIBRARY, program / "dll/libcorvane.so");
    std::string out = RunCommand(command);
    EXPECT_NE(out.find("loaded 1"), std::string::npos) << out;
    EXPECT_NE(out.find("answer {\"code\":\"0\"}"), std::string::npos) << out;
}

TEST(Preload, HoldsTheLibraryOnlyUntilReleasedAndLoadStillDecides) {
    {
        platform::LibraryPreload preload(RECORDING_LIBRARY);
        CPayLibrary library({}, LibraryMode::InProcess);
        EXPECT_TRUE(library.LoadFrom(RECORDING_LIBRARY));
        preload.Release();
        EXPECT_NE(::dlopen(RECORDING_LIBRARY, RTLD_NOW | RTLD_NOLOAD), nullptr)
            << "the window's copy stays";
        ::dlclose(::dlopen(RECORDING_LIBRARY, RTLD_NOW | RTLD_NOLOAD));
    }
    EXPECT_EQ(::dlopen(NO_ENTRY_LIBRARY, RTLD_NOW | RTLD_NOLOAD), nullptr);
    {
        platform::LibraryPreload preload(NO_ENTRY_LIBRARY);
        preload.Release();
        EXPECT_EQ(::dlopen(NO_ENTRY_LIBRARY, RTLD_NOW | RTLD_NOLOAD), nullptr) << "released";
    }
    platform::LibraryPreload missing("/no/such/libcorvane.so");  // nothing to report here
    int notified = 0;
    CPayLibrary library([&](const LoadFailure& f) { notified += f.code == 126; },
                        LibraryMode::InProcess);
    EXPECT_FALSE(library.LoadFrom("/no/such/libcorvane.so"));
    EXPECT_EQ(notified, 1);
}

}  // namespace

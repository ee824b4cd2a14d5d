// Planted libraries beside a program must not be loaded once the search path is hardened.
// The test entry tells Wine to prefer a library found on the search path over its built-in
// copy, as Windows does; otherwise Wine would never load the planted ones at all.
#include "SystemTestSupport.h"
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
// Runs the probe in dir with an argument; its exit code, or -1.
int RunProbe(const TempDir& dir, const std::string& argument) {
    std::string exe = WindowsPath(dir.File("probe.exe"));
    std::string commandLine = "\"" + exe + "\" " + argument;
    std::string cwd = WindowsPath(NativePath(dir.Path()));
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(), &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

struct PlantedLibraries : ::testing::Test {
    TempDir Dir;
    void SetUp() override {
        auto bin = EnvPath("KESTRIN_BIN_DIR") / "tests" / "system";
        std::filesystem::copy_file(bin / "dll_probe.exe", Dir.Path() / "probe.exe");
        std::filesystem::copy_file(bin / "planted" / "version.dll", Dir.Path() / "version.dll");
        std::filesystem::copy_file(bin / "planted" / "uxtheme.dll", Dir.Path() / "uxtheme.dll");
    }
    bool Loaded(const char* name) { return std::filesystem::exists(Dir.Path() / (std::string(name) + ".loaded")); }
};
}  // namespace

TEST_F(PlantedLibraries, PlainLoadingPicksThemUp) {
    // The control case: without hardening the system's search finds the planted copies,
    // so the markers do show a load.
    ASSERT_EQ(RunProbe(Dir, "plain"), 0);
    EXPECT_TRUE(Loaded("version.dll"));
    EXPECT_TRUE(Loaded("uxtheme.dll"));
}

TEST_F(PlantedLibraries, HardenedProgramLoadsTheSystemCopies) {
    ASSERT_EQ(RunProbe(Dir, "harden"), 0);
    EXPECT_FALSE(Loaded("version.dll"));
    EXPECT_FALSE(Loaded("uxtheme.dll"));
}

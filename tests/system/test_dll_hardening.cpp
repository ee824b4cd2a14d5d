// Planted libraries beside a program must not be loaded once the search path is hardened.
// The test entry tells Wine to prefer a library found on the search path over its built-in
// copy, as Windows does; otherwise Wine would never load the planted ones at all.
#include "SystemTestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>

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

namespace {
// The names in a PE32 file's import directory, lower case; empty when the file is not one.
std::vector<std::string> ImportedLibraries(const std::string& file) {
    Bytes b = ReadFile(file);
    auto u16 = [&](size_t o) -> uint32_t { return o + 2 <= b.size() ? b[o] | b[o + 1] << 8 : 0; };
    auto u32 = [&](size_t o) -> uint32_t { return o + 4 <= b.size() ? u16(o) | u16(o + 2) << 16 : 0; };
    std::vector<std::string> names;
    uint32_t nt = u32(60);
    if (u32(nt) != 0x4550 || u16(nt + 24) != 0x10B) return names;
    uint32_t sections = u16(nt + 6), optionalSize = u16(nt + 20);
    size_t table = nt + 24 + optionalSize;
    auto offsetOf = [&](uint32_t rva) -> size_t {
        for (uint32_t i = 0; i < sections; ++i) {
            size_t s = table + i * 40;
            uint32_t va = u32(s + 12), size = u32(s + 16), raw = u32(s + 20);
            if (rva >= va && rva < va + size) return raw + (rva - va);
        }
        return b.size();
    };
    size_t d = offsetOf(u32(nt + 24 + 96 + 8));  // data directory 1: imports
    for (; d + 20 <= b.size() && u32(d + 12) != 0; d += 20) {
        std::string name;
        for (size_t p = offsetOf(u32(d + 12)); p < b.size() && b[p] && name.size() < 260; ++p)
            name += static_cast<char>(std::tolower(b[p]));
        names.push_back(name);
    }
    return names;
}
}  // namespace

TEST(ImportTable, OnlyLibrariesTheSystemMapsFromItsOwnDirectory) {
    // msvcrt is the C runtime's, one of the libraries Windows always takes from the system directory.
    const std::vector<std::string> allowed = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
                                              "ole32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll"};
    auto bin = EnvPath("KESTRIN_BIN_DIR") / "tests";
    for (auto file : {bin / "system" / "test_system.exe", bin / "system" / "dll_probe.exe", bin / "startup" / "test_startup.exe",
                      EnvPath("KESTRIN_BIN_DIR") / "uninstaller" / "Uninst.exe",
                      EnvPath("KESTRIN_BIN_DIR") / "demo" / "saver" / "AuroraDemo.scr"}) {
        auto names = ImportedLibraries(NativePath(file));
        EXPECT_FALSE(names.empty()) << file;
        for (const auto& n : names)
            EXPECT_NE(std::find(allowed.begin(), allowed.end(), n), allowed.end()) << file << " imports " << n;
    }
}

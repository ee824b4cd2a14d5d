// The uninstaller's decisions in-process: its command line, who it is, whether an entry names
// it, and the elevation decision on systems a test cannot be (a declined elevation prompt).
#include "TestSupport.h"
#include "system/SystemTestSupport.h"
#include "system/uPathUtils.h"
#include "uninstaller/uUninstall.h"
#include <gtest/gtest.h>

using namespace testing_support;

TEST(UninstallArguments, SilentSwitchAndTheRelaunchsAccount) {
    EXPECT_FALSE(ParseArguments("u.exe").Silent);
    EXPECT_TRUE(ParseArguments("u.exe /S").Silent);
    EXPECT_TRUE(ParseArguments("\"C:\\a b\\u.exe\" /s").Silent);
    EXPECT_FALSE(ParseArguments("u.exe /Sx").Silent);
    for (bool silent : {false, true}) {
        TArguments args = ParseArguments("\"C:\\a b\\u.exe\" " + ElevatedParameters("John Q Smith", silent));
        EXPECT_TRUE(args.AsAdmin);
        EXPECT_EQ(args.Account, "John Q Smith");
        EXPECT_EQ(args.Silent, silent);
        EXPECT_FALSE(args.Cleanup);
    }
    // An account of that name is a name, not the switch.
    TArguments named = ParseArguments("u.exe " + ElevatedParameters("/S", false));
    EXPECT_EQ(named.Account, "/S");
    EXPECT_FALSE(named.Silent);
    EXPECT_FALSE(ParseArguments("u.exe /asadmin x").AsAdmin);
    // The log's file goes to the elevated instance too, blanks and all.
    TArguments logged = ParseArguments("u.exe " + ElevatedParameters("John", true, "C:\\My Logs\\u.log"));
    EXPECT_EQ(logged.LogFile, "C:\\My Logs\\u.log");
    EXPECT_TRUE(logged.Silent);
    EXPECT_EQ(ParseArguments("u.exe /log=x.log /S").LogFile, "x.log");
}

TEST(UninstallArguments, TheTemporaryCopysTask) {
    TArguments args = ParseArguments("\"C:\\T\\~ksu1.0\\XUninst.exe\" /Cleanup 1234 \"C:\\Program Files\\XUninst.exe\"");
    EXPECT_TRUE(args.Cleanup);
    EXPECT_EQ(args.WaitHandle, 1234u);
    EXPECT_EQ(args.Original, "C:\\Program Files\\XUninst.exe");
    EXPECT_FALSE(args.AsAdmin);
}

TEST(UninstallIdentity, NameAndDirectoryFromItsOwnPath) {
    TInstallation a;
    ASSERT_TRUE(InstallationFromPath("C:\\Windows\\AuroraUninst.exe", a));
    EXPECT_EQ(a.Dir, "C:\\Windows\\");
    EXPECT_EQ(a.Name, "Aurora");
    EXPECT_EQ(a.ScrPath(), "C:\\Windows\\Aurora.scr");
    EXPECT_EQ(a.TxtPath(), "C:\\Windows\\Aurora.txt");
    EXPECT_EQ(a.UninstallKey(), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Aurora");
    TInstallation b;
    ASSERT_TRUE(InstallationFromPath("D:\\x y\\My Saver.v2UNINST.EXE", b));
    EXPECT_EQ(b.Name, "My Saver.v2");
    EXPECT_EQ(b.Dir, "D:\\x y\\");
    TInstallation c;
    EXPECT_FALSE(InstallationFromPath("C:\\Windows\\Uninst.exe", c)) << "no name";
    EXPECT_FALSE(InstallationFromPath("C:\\Windows\\Aurora.exe", c));
    EXPECT_FALSE(InstallationFromPath("C:\\Windows\\AuroraUninst.exe.bak", c));
}

TEST(UninstallIdentity, StartedByItsShortPathItKnowsItsLongName) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "Long Folder Name");
    const std::string exe = WindowsPath(dir.File("Long Folder Name/Long Screensaver NameUninst.exe"));
    const std::string scr = WindowsPath(dir.File("Long Folder Name/Long Screensaver Name.scr"));
    WriteFile(exe, ToBytes("MZ"));
    WriteFile(scr, ToBytes("screensaver"));
    const std::string shortPath = ShortPathName(exe);
    ASSERT_NE(shortPath, exe) << "this volume makes no short names";
    TInstallation i;
    ASSERT_TRUE(InstallationFromPath(shortPath, i));
    EXPECT_EQ(i.Name, "Long Screensaver Name");
    EXPECT_NE(i.ScrPath(), scr);
    EXPECT_TRUE(SamePath(i.ScrPath(), scr));
}

TEST(UninstallEntry, UninstallStringNamesThisProgramInEveryForm) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "Program Files" / "Kestrin Savers");
    const std::string exe = WindowsPath(dir.File("Program Files/Kestrin Savers/AuroraUninst.exe"));
    WriteFile(exe, ToBytes("MZ"));
    std::string upper = exe;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    const std::string shortPath = ShortPathName(exe);
    for (const std::string& command : {"\"" + exe + "\"", exe, "\"" + exe + "\" /S", exe + " /S", "  \"" + upper + "\" ",
                                       shortPath, "\"" + shortPath + "\" /S", upper + " -x y"})
        EXPECT_TRUE(CommandNamesProgram(command, exe)) << command;
    const std::string other = WindowsPath(dir.File("Program Files/Kestrin Savers/OtherUninst.exe"));
    for (const std::string& command : {std::string(), std::string("\"\""), "\"" + other + "\"", other + " " + exe,
                                       exe.substr(0, exe.size() - 4), exe + "2"})
        EXPECT_FALSE(CommandNamesProgram(command, exe)) << command;
}

namespace {
// Plays the system for the elevation decision and records the relaunch.
class TFakeRights : public TRightsSystem {
public:
    unsigned Major = 6;
    bool Elevated = false, AccountOk = true, RunOk = true;
    DWORD ElevatedExitCode = 0;
    int RunCalls = 0;
    std::string RunExe, RunParameters;

    unsigned WindowsMajorVersion() override { return Major; }
    bool IsElevated() override { return Elevated; }
    bool GetCurrentUserAccount(std::string& domain, std::string& accountName) override {
        domain = AccountOk ? "HOST" : "";
        accountName = AccountOk ? "John Smith" : "";
        return AccountOk;
    }
    bool RunAsAdminAndWait(const std::string& exe, const std::string& parameters, DWORD& exitCode) override {
        ++RunCalls;
        RunExe = exe;
        RunParameters = parameters;
        exitCode = ElevatedExitCode;
        return RunOk;
    }
};
const std::string Self = "C:\\Windows\\AuroraUninst.exe";
}  // namespace

TEST(UninstallRights, AlreadyElevatedGoesOnForTheCurrentUser) {
    for (unsigned major : {5u, 6u, 10u}) {
        TFakeRights system;
        system.Major = major;
        system.Elevated = true;
        TRights rights = DecideRights(ParseArguments("u.exe /S"), Self, system);
        EXPECT_EQ(rights.Outcome, TRights::Granted);
        EXPECT_EQ(rights.Account, "");
        EXPECT_EQ(system.RunCalls, 0);
    }
}

TEST(UninstallRights, RelaunchCarriesNameAndSwitchAndPassesTheCodeOn) {
    for (bool silent : {false, true})
        for (DWORD code : {0u, 3u, 1u}) {
            TFakeRights system;
            system.ElevatedExitCode = code;
            TRights rights = DecideRights(ParseArguments(silent ? "u.exe /S" : "u.exe"), Self, system);
            EXPECT_EQ(rights.Outcome, TRights::Relaunched);
            EXPECT_EQ(rights.ExitCode, code);
            EXPECT_EQ(system.RunExe, Self);
            EXPECT_EQ(system.RunParameters, silent ? "/AsAdmin \"John Smith\" /S" : "/AsAdmin \"John Smith\"");
        }
}

TEST(UninstallRights, DeclinedOrImpossibleElevationIsARefusal) {
    TFakeRights declined;  // the user said no to the prompt
    declined.RunOk = false;
    EXPECT_EQ(DecideRights(ParseArguments("u.exe"), Self, declined).Outcome, TRights::Refused);
    TFakeRights noAccount;
    noAccount.AccountOk = false;
    EXPECT_EQ(DecideRights(ParseArguments("u.exe"), Self, noAccount).Outcome, TRights::Refused);
    EXPECT_EQ(noAccount.RunCalls, 0);
    TFakeRights old;  // no elevation before 6.0: a user without the rights cannot get them
    old.Major = 5;
    EXPECT_EQ(DecideRights(ParseArguments("u.exe"), Self, old).Outcome, TRights::Refused);
    EXPECT_EQ(old.RunCalls, 0);
}

TEST(UninstallRights, TheRelaunchedInstanceNeverRelaunchesAgain) {
    TFakeRights granted;
    granted.Elevated = true;
    TRights rights = DecideRights(ParseArguments("u.exe /AsAdmin \"John Smith\" /S"), Self, granted);
    EXPECT_EQ(rights.Outcome, TRights::Granted);
    EXPECT_EQ(rights.Account, "John Smith");
    TFakeRights withoutElevation;  // the system ran it without elevating it
    EXPECT_EQ(DecideRights(ParseArguments("u.exe /AsAdmin \"John Smith\""), Self, withoutElevation).Outcome,
              TRights::Refused);
    EXPECT_EQ(granted.RunCalls + withoutElevation.RunCalls, 0);
}

TEST(UninstallFiles, RemoveIfPresentDeletesReadOnlyFilesAndAcceptsMissingOnes) {
    TempDir dir;
    const std::string file = WindowsPath(dir.File("a.scr"));
    WriteFile(file, ToBytes("x"));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(RemoveIfPresent(file));
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(RemoveIfPresent(file));
    WriteFile(file, ToBytes("x"));
    HANDLE lock = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(RemoveIfPresent(file));
    CloseHandle(lock);
    EXPECT_TRUE(RemoveIfPresent(file));
}

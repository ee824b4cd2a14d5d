#include "TestSupport.h"
#include "startup/AccessTestSupport.h"
#include "startup/uAdministrator.h"
#include "startup/uSecurityUtils.h"
#include "startup/uStartup.h"
#include "win32/uSystemLibrary.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

using namespace testing_support;

namespace {
std::string TokenUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
    alignas(8) char buffer[512];
    DWORD size = 0;
    std::string result;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size)) {
        char* text = nullptr;
        if (ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
            result = text;
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return result;
}
}  // namespace

TEST(Security, BindingIsAllOrNothingAndRecovers) {
    // kernel32 lacks the security entry points: the whole table stays empty.
    EXPECT_FALSE(ResolveSecurityFunctions(GetModuleHandleA("kernel32.dll")));
    EXPECT_TRUE(BindSecurityFunctions());  // resolved again from the library already loaded
    TSystemLibrary advapi("advapi32.dll");
    EXPECT_TRUE(ResolveSecurityFunctions(advapi.Handle()));
    EXPECT_FALSE(ResolveSecurityFunctions(nullptr));
    std::string domain, account;
    EXPECT_TRUE(GetCurrentUserAccount(domain, account));
}

TEST(Security, CurrentAccountAndItsSid) {
    std::string domain, account;
    ASSERT_TRUE(GetCurrentUserAccount(domain, account));
    EXPECT_FALSE(domain.empty());
    EXPECT_FALSE(account.empty());
    char name[256];
    DWORD length = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &length));
    EXPECT_EQ(account, std::string(name));  // the whole string: no terminator inside it
    EXPECT_EQ(domain.find('\0'), std::string::npos);
    std::string sid = GetAccountSidString("", account);
    EXPECT_EQ(sid, TokenUserSid());
    EXPECT_EQ(sid.rfind("S-1-", 0), 0u);
    EXPECT_EQ(GetAccountSidString("", "no-such-account-kestrin"), "");
    EXPECT_EQ(GetAccountSidString("", ""), "");
}

TEST(Security, AdministratorTest) {
    EXPECT_TRUE(IsAdministrator(VER_PLATFORM_WIN32_WINDOWS));  // no token on that family
    // The test runs as the prefix's user, a member of Administrators.
    EXPECT_TRUE(IsAdministrator(VER_PLATFORM_WIN32_NT));
}

TEST(Security, OldSystemCommandLineQuotesThePath) {
    std::string cmd = RunAsAdminCommandLine("C:\\Dir With Blanks\\setup.exe", RelaunchParameters("John Smith"));
    EXPECT_EQ(cmd, "\"C:\\Dir With Blanks\\setup.exe\" /AsAdmin \"John Smith\"");
    EXPECT_EQ(ParamStr(cmd, 0), "C:\\Dir With Blanks\\setup.exe");
    EXPECT_EQ(ParamStr(cmd, 2), "John Smith");
}

TEST(Security, ElevatedRelaunchCarriesTheAccountNameWhole) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "folder with blanks");
    std::string exe = dir.File("folder with blanks/probe.exe");
    std::filesystem::copy_file(EnvPath("KESTRIN_BIN_DIR") / "tests" / "startup" / "startup_probe.exe", exe);
    std::string out = dir.File("args.txt");
    SetEnvironmentVariableA("KESTRIN_PROBE_MODE", "args");
    SetEnvironmentVariableA("KESTRIN_PROBE_OUT", out.c_str());
    ASSERT_TRUE(RunAsAdmin(exe, RelaunchParameters("John Q Smith")));
    // The relaunch is not waited for; the probe writes its arguments and ends.
    for (int i = 0; i < 300 && ReadFile(out).empty(); ++i) Sleep(100);
    Sleep(200);
    auto bytes = ReadFile(out);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "/AsAdmin\nJohn Q Smith\n");
    EXPECT_FALSE(RunAsAdmin(dir.File("no such program.exe"), "/AsAdmin x"));
}

TEST(Security, ElevatedStartIsWaitedForAndGivesItsExitCode) {
    TempDir dir;
    std::string exe = dir.File("probe.exe");
    std::filesystem::copy_file(EnvPath("KESTRIN_BIN_DIR") / "tests" / "startup" / "startup_probe.exe", exe);
    std::string out = dir.File("args.txt");
    SetEnvironmentVariableA("KESTRIN_PROBE_MODE", "args");
    SetEnvironmentVariableA("KESTRIN_PROBE_OUT", out.c_str());
    DWORD code = 99;
    ASSERT_TRUE(RunAsAdminAndWait(exe, RelaunchParameters("John Q Smith") + " /S", code));
    EXPECT_EQ(code, 0u);
    auto bytes = ReadFile(out);  // written before the call returned
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "/AsAdmin\nJohn Q Smith\n/S\n");
    SetEnvironmentVariableA("KESTRIN_PROBE_MODE", "none");
    ASSERT_TRUE(RunAsAdminAndWait(exe, "", code));
    EXPECT_EQ(code, 1u);  // the probe's answer to an unknown mode
    EXPECT_FALSE(RunAsAdminAndWait(dir.File("no such program.exe"), "", code));
    SetEnvironmentVariableA("KESTRIN_PROBE_MODE", nullptr);
}

TEST(Security, PrivateDirectoryLetsNoOtherUserIn) {
    TempDir dir;
    const std::string folder = dir.File("private");
    ASSERT_TRUE(CreatePrivateDirectory(folder));
    EXPECT_FALSE(CreatePrivateDirectory(folder)) << "an existing folder is not taken over";
    const std::vector<std::string> sids = AllowedSids(folder);
    EXPECT_NE(std::find(sids.begin(), sids.end(), TokenUserSid()), sids.end());
    for (const std::string& sid : sids) EXPECT_FALSE(IsOthers(sid)) << sid;
}

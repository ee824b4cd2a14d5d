#include "SystemTestSupport.h"
#include "startup/uSecurityUtils.h"
#include "system/uPathUtils.h"
#include "system/uSetScreenSaver.h"
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
const char Desktop[] = "Control Panel\\Desktop";

struct ScreenSaver : ::testing::Test {
    TempDir Dir;
    std::string Scr;
    void SetUp() override {
        std::filesystem::create_directories(Dir.Path() / "Screen Savers Folder");
        Scr = WindowsPath(Dir.File("Screen Savers Folder/Kestrin Demo Saver.scr"));
        WriteFile(Scr, ToBytes("MZ"));
    }
};

std::string CurrentAccount() {
    std::string domain, account;
    return GetCurrentUserAccount(domain, account) ? account : std::string();
}

// Sets an environment variable for the process and puts the old value back afterwards.
class TEnvironmentOverride {
public:
    TEnvironmentOverride(const char* name, const std::string& value) : FName(name) {
        char buffer[MAX_PATH];
        DWORD n = GetEnvironmentVariableA(name, buffer, MAX_PATH);
        FHad = n > 0 && n < MAX_PATH;
        if (FHad) FOld.assign(buffer, n);
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~TEnvironmentOverride() { SetEnvironmentVariableA(FName, FHad ? FOld.c_str() : nullptr); }
private:
    const char* FName;
    bool FHad = false;
    std::string FOld;
};
}  // namespace

TEST_F(ScreenSaver, CurrentUserGetsTheShortPathWithItsTerminator) {
    TSavedValue saved(HKEY_CURRENT_USER, Desktop, "SCRNSAVE.EXE");
    ASSERT_TRUE(SetScreenSaver(Scr, "", VER_PLATFORM_WIN32_NT));
    const std::string shortPath = ShortPathName(Scr);
    EXPECT_NE(shortPath, Scr);
    EXPECT_EQ(GetScreenSaver("", VER_PLATFORM_WIN32_NT), shortPath);
    // Stored as REG_SZ whose byte count includes the NUL.
    TRegKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, Desktop, KEY_QUERY_VALUE));
    char buffer[300];
    DWORD size = sizeof buffer, type = 0;
    ASSERT_TRUE(key.QueryValue("SCRNSAVE.EXE", type, buffer, size));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, shortPath.size() + 1);
}

TEST_F(ScreenSaver, NamedAccountWritesBelowHkeyUsersUnderItsSid) {
    std::string account = CurrentAccount();
    ASSERT_FALSE(account.empty());
    std::string sid = GetAccountSidString("", account);
    ASSERT_EQ(sid.rfind("S-1-", 0), 0u) << sid;
    TRegKey hive;
    // The account is logged on, so its hive is loaded below HKEY_USERS.
    ASSERT_TRUE(hive.Open(HKEY_USERS, sid + "\\" + Desktop, KEY_QUERY_VALUE)) << "no hive loaded for " << sid;
    hive.Close();
    TSavedValue saved(HKEY_USERS, sid + "\\" + Desktop, "SCRNSAVE.EXE");
    ASSERT_TRUE(SetScreenSaver(Scr, account, VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(ReadRegString(HKEY_USERS, sid + "\\" + Desktop, "SCRNSAVE.EXE"), ShortPathName(Scr));
    EXPECT_EQ(GetScreenSaver(account, VER_PLATFORM_WIN32_NT), ShortPathName(Scr));
}

TEST_F(ScreenSaver, UnknownAccountOrMissingFileWritesNothing) {
    TSavedValue saved(HKEY_CURRENT_USER, Desktop, "SCRNSAVE.EXE");
    WriteRawValue(HKEY_CURRENT_USER, Desktop, "SCRNSAVE.EXE", REG_SZ, "before.scr", 11);
    EXPECT_FALSE(OpenDesktopKey("no-such-account-kestrin", KEY_QUERY_VALUE).IsOpen());
    EXPECT_FALSE(SetScreenSaver(Scr, "no-such-account-kestrin", VER_PLATFORM_WIN32_NT));
    EXPECT_FALSE(SetScreenSaver(WindowsPath(Dir.File("missing.scr")), "", VER_PLATFORM_WIN32_NT));
    EXPECT_FALSE(SetScreenSaver(WindowsPath(NativePath(Dir.Path())), "", VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(GetScreenSaver("", VER_PLATFORM_WIN32_NT), "before.scr");
}

TEST_F(ScreenSaver, StoredValueWithoutTerminatorOrTooLong) {
    TSavedValue saved(HKEY_CURRENT_USER, Desktop, "SCRNSAVE.EXE");
    WriteRawValue(HKEY_CURRENT_USER, Desktop, "SCRNSAVE.EXE", REG_SZ, "C:\\X.SCR", 8);
    EXPECT_EQ(GetScreenSaver("", VER_PLATFORM_WIN32_NT), "C:\\X.SCR");
    WriteRawValue(HKEY_CURRENT_USER, Desktop, "SCRNSAVE.EXE", REG_SZ, "", 0);
    EXPECT_EQ(GetScreenSaver("", VER_PLATFORM_WIN32_NT), "");
    std::string tooLong(300, 'x');
    WriteRawValue(HKEY_CURRENT_USER, Desktop, "SCRNSAVE.EXE", REG_SZ, tooLong.c_str(), 301);
    EXPECT_EQ(GetScreenSaver("", VER_PLATFORM_WIN32_NT), "");
}

TEST_F(ScreenSaver, NinetyFiveFamilyWritesSystemIni) {
    TSavedValue saved(HKEY_CURRENT_USER, Desktop, "SCRNSAVE.EXE");
    WriteRawValue(HKEY_CURRENT_USER, Desktop, "SCRNSAVE.EXE", REG_SZ, "registry.scr", 13);
    TempDir windir;
    std::string ini = WindowsPath(windir.File("SYSTEM.INI"));
    WriteFile(ini, ToBytes("[boot]\r\nshell=Explorer.exe\r\n[386Enh]\r\nwoafont=dosapp.fon\r\n"));
    TEnvironmentOverride env("windir", WindowsPath(NativePath(windir.Path())));

    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 0, nullptr, 0);
    ASSERT_TRUE(SetScreenSaver(Scr, "ignored account", VER_PLATFORM_WIN32_WINDOWS));
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", value, MAX_PATH, ini.c_str());
    EXPECT_EQ(std::string(value), ShortPathName(Scr));
    GetPrivateProfileStringA("boot", "shell", "", value, MAX_PATH, ini.c_str());
    EXPECT_EQ(std::string(value), "Explorer.exe");
    EXPECT_EQ(GetScreenSaver("", VER_PLATFORM_WIN32_WINDOWS), ShortPathName(Scr));
    // The screensaver was switched on; the registry branch was not touched.
    BOOL active = FALSE;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0));
    EXPECT_TRUE(active);
    EXPECT_EQ(GetScreenSaver("", VER_PLATFORM_WIN32_NT), "registry.scr");
}

TEST_F(ScreenSaver, ClearingRemovesOnlyTheSetting) {
    TSavedValue saved(HKEY_CURRENT_USER, Desktop, "SCRNSAVE.EXE");
    TSavedValue timeout(HKEY_CURRENT_USER, Desktop, "ScreenSaveTimeOut");
    WriteRawValue(HKEY_CURRENT_USER, Desktop, "ScreenSaveTimeOut", REG_SZ, "600", 4);
    ASSERT_TRUE(SetScreenSaver(Scr, CurrentAccount(), VER_PLATFORM_WIN32_NT));
    EXPECT_TRUE(ClearScreenSaver(CurrentAccount(), VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(GetScreenSaver("", VER_PLATFORM_WIN32_NT), "");
    EXPECT_TRUE(ClearScreenSaver("", VER_PLATFORM_WIN32_NT)) << "nothing set is nothing left";
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, Desktop, "ScreenSaveTimeOut"), "600");
    // An account whose hive cannot be found leaves the current user's setting alone.
    ASSERT_TRUE(SetScreenSaver(Scr, "", VER_PLATFORM_WIN32_NT));
    ClearScreenSaver("no-such-account-kestrin", VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(GetScreenSaver("", VER_PLATFORM_WIN32_NT), ShortPathName(Scr));
}

TEST_F(ScreenSaver, ClearingOnTheNinetyFiveFamilyEditsSystemIni) {
    TempDir windir;
    std::string ini = WindowsPath(windir.File("SYSTEM.INI"));
    WriteFile(ini, ToBytes("[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\WINDOWS\\OLD.SCR\r\n"));
    TEnvironmentOverride env("windir", WindowsPath(NativePath(windir.Path())));
    EXPECT_TRUE(ClearScreenSaver("", VER_PLATFORM_WIN32_WINDOWS));
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "none", value, MAX_PATH, ini.c_str());
    EXPECT_EQ(std::string(value), "none");
    GetPrivateProfileStringA("boot", "shell", "", value, MAX_PATH, ini.c_str());
    EXPECT_EQ(std::string(value), "Explorer.exe");
}

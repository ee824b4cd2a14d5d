#include "system/uSetScreenSaver.h"
#include "startup/uSecurityUtils.h"
#include "win32/uWindowsVersion.h"
#include "system/uPathUtils.h"

namespace {
const char DesktopKey[] = "Control Panel\\Desktop";
const char ValueName[] = "SCRNSAVE.EXE";
const char IniSection[] = "boot";

std::string SystemIniPath() { return Trim(ExpandEnvironment("%windir%\\SYSTEM.INI", MAX_PATH)); }
}  // namespace

TRegKey OpenDesktopKey(const std::string& accountName, REGSAM access) {
    TRegKey key;
    if (accountName.empty()) {
        key.Open(HKEY_CURRENT_USER, DesktopKey, access);
    } else {
        std::string sid = GetAccountSidString(std::string(), accountName);
        // A failed lookup leaves a path that begins with "\" and opens nothing.
        key.Open(HKEY_USERS, sid + "\\" + DesktopKey, access);
    }
    return key;
}

std::string GetScreenSaver(const std::string& accountName) {
    return GetScreenSaver(accountName, WindowsVersion().Platform);
}

std::string GetScreenSaver(const std::string& accountName, DWORD platformId) {
    if (platformId == VER_PLATFORM_WIN32_NT) {
        TRegKey key = OpenDesktopKey(accountName, KEY_QUERY_VALUE);
        std::string text;
        if (!key.QueryText(ValueName, 255, text)) return std::string();
        return Trim(text);
    }
    std::string ini = SystemIniPath();
    if (ini.empty()) return std::string();
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetPrivateProfileStringA(IniSection, ValueName, "", buffer, sizeof buffer, ini.c_str());
    return std::string(buffer, n < sizeof buffer ? n : 0);
}

bool SetScreenSaver(const std::string& path, const std::string& accountName) {
    return SetScreenSaver(path, accountName, WindowsVersion().Platform);
}

bool SetScreenSaver(const std::string& path, const std::string& accountName, DWORD platformId) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (path.empty() || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const std::string shortPath = ShortPathName(path);
    if (platformId == VER_PLATFORM_WIN32_NT) {
        TRegKey key = OpenDesktopKey(accountName, KEY_WRITE);
        key.SetText(ValueName, shortPath, true);
    } else {
        std::string ini = SystemIniPath();
        if (!ini.empty()) {
            WritePrivateProfileStringA(IniSection, ValueName, shortPath.c_str(), ini.c_str());
            SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 1, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
        }
    }
    return GetScreenSaver(accountName, platformId) == shortPath;
}

bool ClearScreenSaver(const std::string& accountName, DWORD platformId) {
    if (platformId == VER_PLATFORM_WIN32_NT) {
        TRegKey key = OpenDesktopKey(accountName, KEY_SET_VALUE);
        key.DeleteValue(ValueName);
    } else {
        std::string ini = SystemIniPath();
        if (!ini.empty()) WritePrivateProfileStringA(IniSection, ValueName, nullptr, ini.c_str());
    }
    return GetScreenSaver(accountName, platformId).empty();
}

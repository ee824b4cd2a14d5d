#include "uninstaller/uUninstall.h"
#include "base/FileOps.h"
#include "container/uExeAdder.h"
#include "container/uInstallerContract.h"
#include "startup/uAdministrator.h"
#include "startup/uSecurityUtils.h"
#include "startup/uStartup.h"
#include "win32/uAnsiPath.h"
#include "win32/uFindFile.h"
#include "win32/uWindowsVersion.h"
#include "system/uPathUtils.h"
#include "system/uSetScreenSaver.h"
#include "system/uUtils.h"
#include <cstdlib>

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(), int(a.size()),
                                                  b.data(), int(b.size())) == CSTR_EQUAL;
}

// The file name as the directory lists it: a program started by its short path learns its long name.
std::string LongFileName(const std::string& path) {
    const TFindFile found(path.c_str());
    if (!found.Found()) return path.substr(LastPathDelimiter(path, "\\/:") + 1);
    return found.Data().cFileName;
}

std::string ReadUninstallString(const std::string& key) {
    TRegKey k;
    std::string text;
    if (!k.Open(HKEY_LOCAL_MACHINE, key, KEY_QUERY_VALUE) || !k.QueryText(UninstallStringValue, 2048, text)) return "";
    return Trim(text);
}

// Where the installer may have made the screensaver current: the user's hive on the NT family,
// SYSTEM.INI on systems before 6.0.
std::vector<DWORD> SettingPlaces() {
    std::vector<DWORD> places;
    if (WindowsVersion().Platform == VER_PLATFORM_WIN32_NT) places.push_back(VER_PLATFORM_WIN32_NT);
    if (WindowsVersion().Major < 6) places.push_back(VER_PLATFORM_WIN32_WINDOWS);
    return places;
}
}  // namespace

TArguments ParseArguments(const std::string& commandLine) {
    TArguments args;
    const int count = ParamCount(commandLine);
    int first = 1;
    const std::string head = ParamStr(commandLine, 1);
    if (head == "/AsAdmin") {
        args.AsAdmin = true;
        args.Account = ParamStr(commandLine, 2);
        first = 3;
    } else if (head == "/Cleanup") {
        args.Cleanup = true;
        args.WaitHandle = static_cast<uintptr_t>(std::strtoul(ParamStr(commandLine, 2).c_str(), nullptr, 10));
        args.Original = ParamStr(commandLine, 3);
        first = 4;
    }
    for (int i = first; i <= count; ++i) {
        const std::string arg = ParamStr(commandLine, i);
        if (SameText(arg, SilentSwitch)) args.Silent = true;
        const size_t n = sizeof LogSwitch - 1;
        if (arg.size() > n && SameText(arg.substr(0, n), LogSwitch)) args.LogFile = arg.substr(n);
    }
    return args;
}

std::string ElevatedParameters(const std::string& accountName, bool silent, const std::string& logFile) {
    return RelaunchParameters(accountName) + (silent ? std::string(" ") + SilentSwitch : "") +
           (logFile.empty() ? "" : " \"" + std::string(LogSwitch) + logFile + "\"");
}

std::string TInstallation::ScrPath() const { return Dir + ScrFileName(Name); }
std::string TInstallation::TxtPath() const { return Dir + ReadmeFileName(Name); }
std::string TInstallation::UninstallKey() const { return UninstallKeyPath(Name); }

bool InstallationFromPath(const std::string& exePath, TInstallation& installation) {
    const size_t slash = LastPathDelimiter(exePath, "\\/:");
    const std::string file = LongFileName(exePath);
    const size_t n = sizeof UninstallerSuffix - 1;
    if (file.size() <= n || !SameText(file.substr(file.size() - n), UninstallerSuffix)) return false;
    installation.Dir = slash == std::string::npos ? std::string() : exePath.substr(0, slash + 1);
    installation.Name = file.substr(0, file.size() - n);
    installation.Uninstaller = exePath;
    return true;
}

std::string ReadGuid(const std::string& exePath) {
    std::string guid;
    ReadItemText(exePath, ItemName::Guid, guid);
    return guid;
}

bool CommandNamesProgram(const std::string& command, const std::string& program) {
    const std::string text = Trim(command);
    if (!text.empty() && text[0] == '"') return SamePath(UnquoteStr(text, '"'), program);
    // Unquoted, the path may itself hold blanks: every stretch up to a blank is a candidate.
    for (size_t end = 0; end != std::string::npos;) {
        end = text.find(' ', end + 1);
        if (SamePath(text.substr(0, end), program)) return true;
    }
    return false;
}

unsigned TSystemRights::WindowsMajorVersion() { return WindowsVersion().Major; }
bool TSystemRights::IsElevated() { return ::IsElevated(); }
bool TSystemRights::GetCurrentUserAccount(std::string& domain, std::string& accountName) {
    return ::GetCurrentUserAccount(domain, accountName);
}
bool TSystemRights::RunAsAdminAndWait(const std::string& exe, const std::string& parameters, DWORD& exitCode) {
    return ::RunAsAdminAndWait(exe, parameters, exitCode);
}

TRights DecideRights(const TArguments& args, const std::string& exePath, TRightsSystem& system) {
    TRights rights;
    if (args.AsAdmin) {
        // The relaunched instance: elevation was granted, or the system ran it without.
        if (system.IsElevated()) {
            rights.Outcome = TRights::Granted;
            rights.Account = args.Account;
        }
        return rights;
    }
    if (system.IsElevated()) {
        rights.Outcome = TRights::Granted;
        return rights;
    }
    std::string domain, account;
    if (system.WindowsMajorVersion() >= 6 && system.GetCurrentUserAccount(domain, account) &&
        system.RunAsAdminAndWait(exePath, ElevatedParameters(account, args.Silent, args.LogFile), rights.ExitCode))
        rights.Outcome = TRights::Relaunched;
    return rights;
}

bool RemoveIfPresent(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return RemoveFile(path) || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> RemoveInstallation(const TInstallation& installation, const std::string& accountName) {
    const std::string scr = installation.ScrPath(), key = installation.UninstallKey();
    // Decided while the screensaver file exists: the setting holds its short form.
    std::vector<DWORD> settings;
    for (DWORD place : SettingPlaces())
        if (SamePath(GetScreenSaver(accountName, place), scr)) settings.push_back(place);
    const bool keyIsOurs = CommandNamesProgram(ReadUninstallString(key), installation.Uninstaller);

    std::vector<std::string> stayed;
    for (const std::string& file : {scr, installation.TxtPath()})
        if (!RemoveIfPresent(file)) stayed.push_back(file);
    for (DWORD place : settings)
        if (!ClearScreenSaver(accountName, place)) stayed.push_back("SCRNSAVE.EXE");
    // The entry stays in the list until nothing else is left, so that it can finish the job.
    if (keyIsOurs && stayed.empty() && !DeleteRegTree(HKEY_LOCAL_MACHINE, key))
        stayed.push_back("HKEY_LOCAL_MACHINE\\" + key);
    return stayed;
}

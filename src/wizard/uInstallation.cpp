#include "wizard/uInstallation.h"
#include "base/FileOps.h"
#include "base/StrUtils.h"
#include "container/uExeAdder.h"
#include "container/uFileEmbedderData.h"
#include "container/uInstallerContract.h"
#include "container/uResourceTree.h"
#include "system/uPathUtils.h"
#include "system/uSetScreenSaver.h"
#include "system/uUtils.h"
#include "base/TextLog.h"
#include "win32/uRegistry.h"
#include "win32/uSystemError.h"

namespace {

void Log(const TInstallJob& job, const std::string& line) {
    if (job.Log) job.Log->Line(line);
}

uint64_t FileSize(const std::string& fileName) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data)) return 0;
    return uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

void LogWritten(const TInstallJob& job, const std::string& fileName) {
    if (job.Log) Log(job, "file written: " + fileName + " (" + std::to_string(FileSize(fileName)) + " bytes)");
}

// Never a truncated file where a working one was: the bytes go beside the target first.
void SaveBytes(const void* data, size_t size, const std::string& fileName) {
    WriteFileReplacing(fileName, [&](const std::string& scratch) {
        TFileStream file(scratch, fmCreate);
        file.WriteBuffer(data, size);
    });
}

void WriteUninstaller(const TInstallJob& job, const std::string& fileName) {
    WriteFileReplacing(fileName, [&](const std::string& scratch) {
        {
            TFileStream file(scratch, fmCreate);
            job.Uninstaller.SaveToStream(file);
        }
        // The icon goes in before the block: rewriting the image drops what follows it.
        const std::string& icon = job.Settings.UninstallerIcon;
        if (!icon.empty()) {
            TMemoryStream stream;
            stream.WriteBuffer(icon.data(), icon.size());
            stream.SetPosition(0);
            ReplaceIconFromStream(scratch, stream, UninstallerIconGroup);
        }
        TWriteHelper helper;
        helper.AddUncompressed(ItemName::Guid, job.Settings.Guid.data(), job.Settings.Guid.size());
        helper.SaveToExe(scratch, 0);
    });
}

void WriteUninstallEntry(const TInstallResult& r, const TInstallJob& job) {
    const TInstallerSettings& s = job.Settings;
    const std::string key = UninstallKeyPath(s.ScrName);
    const TUninstallTexts t = UninstallTextsFor(r.UninstallerPath, job.DisplayName);
    auto logged = [&](const std::string& name, const std::string& value, bool ok) {
        Log(job, "registry: HKEY_LOCAL_MACHINE\\" + key + "\\" + name + " = " + value + (ok ? "" : " (not written)"));
    };
    auto text = [&](const std::string& name, const std::string& value) {
        WriteRegValueByPath(HKEY_LOCAL_MACHINE, key + "\\" + name, value);  // reports nothing
        logged(name, value, true);
    };
    text(UninstallStringValue, t.UninstallString);
    text("DisplayName", t.DisplayName);
    text("DisplayIcon", t.DisplayIcon);
    // What the system's list of programs shows and deployment tools use besides.
    TRegKey k;
    if (!k.Create(HKEY_LOCAL_MACHINE, key, KEY_SET_VALUE)) {
        Log(job, "registry: HKEY_LOCAL_MACHINE\\" + key + " cannot be opened: " + SystemErrorText(GetLastError()));
        return;
    }
    auto counted = [&](const std::string& name, const std::string& value) { logged(name, value, k.SetText(name, value, true)); };
    auto number = [&](const std::string& name, DWORD value) { logged(name, std::to_string(value), k.SetDWord(name, value)); };
    counted("QuietUninstallString", t.QuietUninstallString);
    counted("InstallLocation", t.InstallLocation);
    number("EstimatedSize", KiloBytes(FileSize(r.ScrPath)) + KiloBytes(FileSize(r.UninstallerPath)) +
                                (r.ReadmeWritten ? KiloBytes(FileSize(r.ReadmePath)) : 0));
    number("NoModify", 1);
    number("NoRepair", 1);
    // What Settings' list of apps and package managers read besides: written only when given
    // (and none left from an older installation that gave it).
    for (auto [name, value] : {std::pair{"Publisher", &s.Publisher}, std::pair{"DisplayVersion", &s.Version},
                               std::pair{"URLInfoAbout", &s.Url}}) {
        if (value->empty())
            k.DeleteValue(name);
        else
            counted(name, *value);
    }
    SYSTEMTIME today;
    GetLocalTime(&today);
    counted("InstallDate", InstallDateText(today.wYear, today.wMonth, today.wDay));
}

}  // namespace

std::string InstallationDirectory(const TInstallerSettings& settings, bool& fixed) {
    fixed = false;
    if (!settings.InstallPath.empty()) {
        const std::string expanded = Trim(ExpandEnvironment(settings.InstallPath, 260));
        if (expanded.find('%') == std::string::npos && !expanded.empty() &&
            (DirectoryExists(expanded) || ForceDirectories(expanded))) {
            fixed = true;
            return expanded;
        }
    }
    return IncludeTrailingPathDelimiter(GetSpecialFolder(sfWindows));
}

bool DirectoryFromSwitch(const std::string& given, std::string& directory) {
    directory.clear();
    const std::string expanded = Trim(ExpandEnvironment(given, 32768));
    const bool drive = expanded.size() >= 3 && expanded[1] == ':' && (expanded[2] == '\\' || expanded[2] == '/') &&
                       ((expanded[0] >= 'A' && expanded[0] <= 'Z') || (expanded[0] >= 'a' && expanded[0] <= 'z'));
    const bool share = expanded.size() > 2 && expanded.compare(0, 2, "\\\\") == 0;
    if (!(drive || share) || expanded.find('%') != std::string::npos) return false;
    if (!DirectoryExists(expanded) && !ForceDirectories(expanded)) return false;
    directory = expanded;
    return true;
}

TInstallResult Install(const TInstallJob& job, const std::function<void()>& between) {
    TInstallResult r;
    r.Directory = IncludeTrailingPathDelimiter(job.Directory);
    if (!DirectoryExists(r.Directory)) {
        Log(job, "failed: the directory " + r.Directory + " does not exist");
        r.Outcome = TInstallOutcome::DirectoryMissing;
        return r;
    }
    Log(job, "directory: " + r.Directory);
    const std::string& name = job.Settings.ScrName;
    r.ScrPath = r.Directory + ScrFileName(name);
    r.ReadmePath = r.Directory + ReadmeFileName(name);
    r.UninstallerPath = r.Directory + UninstallerFileName(name);
    const std::string& readme = job.Settings.Readme;
    std::string current;  // the file being written, for the log of a failure
    try {
        between();
        SaveBytes(job.Screensaver.Data(), job.Screensaver.Size(), current = r.ScrPath);
        LogWritten(job, r.ScrPath);
        between();
        if (!readme.empty()) {
            SaveBytes(readme.data(), readme.size(), current = r.ReadmePath);
            LogWritten(job, r.ReadmePath);
        }
        r.ReadmeWritten = !readme.empty() && FileExists(r.ReadmePath);
        between();
        if (job.MakeCurrent && FileExists(r.ScrPath)) {
            r.ScreenSaverSet = SetScreenSaver(r.ScrPath, job.Account);
            Log(job, "screensaver setting: " + r.ScrPath + (job.Account.empty() ? "" : " for " + job.Account) +
                         (r.ScreenSaverSet ? " made current" : " could not be made current"));
        }
        WriteUninstaller(job, current = r.UninstallerPath);
        LogWritten(job, r.UninstallerPath);
        between();
    } catch (const std::exception& e) {
        const DWORD error = GetLastError();
        Log(job, "failed: " + current + " could not be written: " + e.what() + "; " + SystemErrorText(error));
        return r;  // WriteFailed
    }
    WriteUninstallEntry(r, job);
    r.Outcome = TInstallOutcome::Installed;
    return r;
}

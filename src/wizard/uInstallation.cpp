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
#include "win32/uRegistry.h"

namespace {

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
        helper.AddString(ItemName::Guid, job.Settings.Guid);
        helper.SaveToExe(scratch, 0);
    });
}

uint64_t FileSize(const std::string& fileName) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data)) return 0;
    return uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

void WriteUninstallEntry(const TInstallResult& r, const std::string& displayName, const TInstallerSettings& s) {
    const std::string key = UninstallKeyPath(s.ScrName);
    const TUninstallTexts t = UninstallTextsFor(r.UninstallerPath, displayName);
    WriteRegValueByPath(HKEY_LOCAL_MACHINE, key + "\\" + UninstallStringValue, t.UninstallString);
    WriteRegValueByPath(HKEY_LOCAL_MACHINE, key + "\\DisplayName", t.DisplayName);
    WriteRegValueByPath(HKEY_LOCAL_MACHINE, key + "\\DisplayIcon", t.DisplayIcon);
    // What the system's list of programs shows and deployment tools use besides.
    TRegKey k;
    if (!k.Create(HKEY_LOCAL_MACHINE, key, KEY_SET_VALUE)) return;
    k.SetText("QuietUninstallString", t.QuietUninstallString, true);
    k.SetText("InstallLocation", t.InstallLocation, true);
    k.SetDWord("EstimatedSize", KiloBytes(FileSize(r.ScrPath)) + KiloBytes(FileSize(r.UninstallerPath)) +
                                    (r.ReadmeWritten ? KiloBytes(FileSize(r.ReadmePath)) : 0));
    k.SetDWord("NoModify", 1);
    k.SetDWord("NoRepair", 1);
    // What Settings' list of apps and package managers read besides: written only when given
    // (and none left from an older installation that gave it).
    for (auto [name, text] : {std::pair{"Publisher", &s.Publisher}, std::pair{"DisplayVersion", &s.Version},
                              std::pair{"URLInfoAbout", &s.Url}}) {
        if (text->empty())
            k.DeleteValue(name);
        else
            k.SetText(name, *text, true);
    }
    SYSTEMTIME today;
    GetLocalTime(&today);
    k.SetText("InstallDate", InstallDateText(today.wYear, today.wMonth, today.wDay), true);
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
        r.Outcome = TInstallOutcome::DirectoryMissing;
        return r;
    }
    const std::string& name = job.Settings.ScrName;
    r.ScrPath = r.Directory + ScrFileName(name);
    r.ReadmePath = r.Directory + ReadmeFileName(name);
    r.UninstallerPath = r.Directory + UninstallerFileName(name);
    const std::string& readme = job.Settings.Readme;
    try {
        between();
        SaveBytes(job.Screensaver.Data(), job.Screensaver.Size(), r.ScrPath);
        between();
        if (!readme.empty()) SaveBytes(readme.data(), readme.size(), r.ReadmePath);
        r.ReadmeWritten = !readme.empty() && FileExists(r.ReadmePath);
        between();
        if (job.MakeCurrent && FileExists(r.ScrPath)) r.ScreenSaverSet = SetScreenSaver(r.ScrPath, job.Account);
        WriteUninstaller(job, r.UninstallerPath);
        between();
    } catch (const std::exception&) {
        return r;  // WriteFailed
    }
    WriteUninstallEntry(r, job.DisplayName, job.Settings);
    r.Outcome = TInstallOutcome::Installed;
    return r;
}

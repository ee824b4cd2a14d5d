// The installation: the screensaver, its readme and the uninstaller into one directory, the
// screensaver made current, the uninstaller registered. It opens no window: the wizard and a
// silent run gather the choices, show what they show meanwhile, and report the outcome.
#pragma once
#include "base/Buffer.h"
#include "container/uInstallerSettings.h"
#include <functional>
#include <string>

class TFileEmbedderData;
class TTextLog;

struct TInstallJob {
    const TInstallerSettings& Settings;
    const TBuffer& Screensaver;              // the payload
    const TFileEmbedderData& Uninstaller;    // the program the installer carries
    std::string DisplayName;                 // the entry in the list of programs
    // The user's choices.
    std::string Directory;                   // a trailing "\" is added when missing
    bool MakeCurrent = true;
    std::string Account;                     // whose screensaver; empty: the current user
    TTextLog* Log = nullptr;                 // what is written, and every failure; none: no log
};

enum class TInstallOutcome { Installed, DirectoryMissing, WriteFailed };

struct TInstallResult {
    TInstallOutcome Outcome = TInstallOutcome::WriteFailed;
    std::string Directory;  // with its trailing "\"
    std::string ScrPath, ReadmePath, UninstallerPath;
    bool ReadmeWritten = false;
    bool ScreenSaverSet = true;  // false when making it current failed
};

// The directory to install into: the block's fixed one when it can be used (expanded, trimmed,
// found or made with its parents; `fixed` is then true), else the Windows directory.
std::string InstallationDirectory(const TInstallerSettings& settings, bool& fixed);

// The directory a "/D=" switch names: environment references expanded, made with its parents when
// missing. False (and `directory` empty) for a relative path or one that cannot be made.
bool DirectoryFromSwitch(const std::string& given, std::string& directory);

// Runs the installation. Nothing is written when the directory is missing; a file that cannot
// be written ends it with WriteFailed (what was written before stays). `between` runs once the
// directory is found and then between the steps: the wizard shows its notifier and repaints there.
TInstallResult Install(const TInstallJob& job, const std::function<void()>& between);

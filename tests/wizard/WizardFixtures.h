// What the wizard tests share: the payload files, installers built from manifests (once per
// run), the player-control stand-in, recorders for the programs the finish page starts, the
// texts the wizard shows in the system's language, and the places the installation writes.
#pragma once
#include "WizardDriver.h"
#include "system/SystemTestSupport.h"
#include <map>
#include <string>
#include <vector>

namespace wizard {

using testing_support::Bytes;

// True on a system whose default locale is Japanese (1041): the wizard then speaks Japanese.
bool Japanese();
// "ja" or "en", for screenshot names.
std::string Lang();

// The shared files that manifests name: saver.scr, readme.txt, icon.ico.
std::string PayloadFile(const std::string& name);
Bytes PayloadBytes(const std::string& name);

// Builds, once per run, an installer from the manifest text (which gets the lines guid, scr
// and scr_name unless it has its own) and returns its path. Each installer has a folder of its
// own, with a recorder named rundll32.exe beside it.
struct TInstallerBuild {
    std::string Key;       // unique name of this installer in the run
    std::string ScrName;   // scr_name
    std::string Manifest;  // further manifest lines
};
std::string BuildInstaller(const TInstallerBuild& build);
// The demo's installer, from demo/manifest.toml as it stands, with further lines (which must
// not repeat its keys).
std::string BuildDemoInstaller(const std::string& key, const std::string& extraLines = "");
std::string Guid(const std::string& key);

// What the recorders standing in for the display settings (rundll32.exe beside the installer)
// and the readme viewer (registered as the open verb of .txt files) saw; cleared by Forget.
std::vector<std::string> RundllCalls(const std::string& installer);
std::vector<std::string> ViewerCalls();
// The default browser (the system's start-menu browser) is a recorder as well.
std::vector<std::string> BrowserCalls();
std::string BrowserProgram();
void ForgetCalls(const std::string& installer);

// The account that runs the tests, as the installer's relaunch passes it.
std::string Account();
std::string WindowsDirectory();  // with a trailing backslash
std::string ShortPath(const std::string& path);
std::string Upper(std::string text);

// The current screensaver of the user: HKCU\Control Panel\Desktop, SCRNSAVE.EXE.
std::string CurrentScreenSaver();
void SetCurrentScreenSaver(const std::string& value);

// Which build of the player-control stand-in is registered for the length of a scope; the
// new one is registered for the whole run otherwise.
class TPlayerControl {
public:
    enum TBuild { None, New, Old };
    explicit TPlayerControl(TBuild build);
    ~TPlayerControl();
    TPlayerControl(const TPlayerControl&) = delete;
    TPlayerControl& operator=(const TPlayerControl&) = delete;
};
void RegisterPlayerControl(TPlayerControl::TBuild build);

// The user's current screensaver stays as the run leaves it (for the demo), not as it was.
void KeepCurrentScreenSaver();
bool UninstallEntryExists(const std::string& scrName);

// The Uninstall entry of a screensaver name: removed before and after the test.
class TUninstallEntry {
public:
    explicit TUninstallEntry(const std::string& scrName);
    const std::string& Key() const { return FKey.Path(); }
    bool Exists() const;
    std::string Text(const std::string& value) const;
    DWORD Type(const std::string& value) const;
    DWORD Number(const std::string& value) const;
private:
    TScratchKey FKey;
};

// The lines that "uninstaller --list" of Wine prints.
std::vector<std::string> UninstallerList();

// The source of the embedded uninstaller, or empty while the build has none.
std::string UninstallerSource();

// The installer's texts in the language of the system, as its windows show them (ANSI),
// from the wizard's tables of captions and messages.
struct TTexts {
    std::string DefaultCaption;
    std::string Back, NextInitial, Next, Install, Finish, Quit, Cancel;
    std::vector<std::string> WelcomeTitle, WelcomeHint, LicenceExplain, OptionsExplain, PathCaution, FinishText,
        FailureHint;
    std::string Agree, Disagree, ChangePath, Browse, SetCurrent, ShowReadme, OpenSettings;
    std::string SelectDirectory, WriteFailure, InvalidData, DisplayNameSuffix;
    std::vector<std::string> SetManually, ScreensaverActive, FlashMissing;
    std::string Welcome(const std::string& scrName) const;
    std::vector<std::string> DirectoryMissing(const std::string& directory) const;
    std::string VersionRequired(const std::string& version) const;
};
const TTexts& Texts();

// Files: the whole directory listing, and a file's bytes (empty when missing).
std::vector<std::string> DirectoryNames(const std::string& directory);
bool FileExists(const std::string& path);
Bytes ReadBytes(const std::string& path);

}  // namespace wizard

// What each page of the wizard shows, as the rows of its navigation table and its texts, and
// what an installation leaves behind: the checks the wizard tests share.
#pragma once
#include "WizardFixtures.h"

namespace wizard {

// "/AsAdmin "<name>"", as the relaunch passes the starting user.
std::string AsAdmin(const std::string& account);

// A started installer and its form. The form is null when none came up.
struct TRun {
    TRun(const std::string& setup, const std::string& arguments);
    TProcess Process;
    TWizard Wizard;
};

// The button bar: Back enabled?, Next caption and enabled?, Cancel enabled?
void ExpectButtons(const TWizard& w, bool back, const std::string& next, bool nextEnabled, bool cancel);

void ExpectWelcomePage(const TWizard& w, const std::string& welcomeText);
// Before either radio button was chosen.
void ExpectFreshLicencePage(const TWizard& w, const std::vector<std::string>& licence);
// With the path choice shown, unticked, on the directory.
void ExpectFreshOptionsPage(const TWizard& w, const std::string& directory);
void ExpectFinishPage(const TWizard& w, bool readme, bool settings, bool manualNote);
void ExpectFailurePage(const TWizard& w, const std::vector<std::string>& message, bool getPlayer);

// The files of an installation into `directory` (with its trailing backslash) and their
// contents; the uninstaller with its GUID block (and its icon when the build carries one).
struct TInstalled {
    std::string Directory, ScrName, Guid;
    bool Readme = true;
    bool Icon = true;  // the manifest gave an uninstaller icon
    std::string Publisher, Version, Url;  // as the manifest gave them; empty: the entry has none
    std::string Scr() const { return Directory + ScrName + ".scr"; }
    std::string Txt() const { return Directory + ScrName + ".txt"; }
    std::string Uninstaller() const { return Directory + ScrName + "Uninst.exe"; }
};
void ExpectInstalledFiles(const TInstalled& installed);
void ExpectUninstaller(const std::string& file, const std::string& guid, bool icon);
// The Uninstall entry and the line of Wine's list of installed programs.
void ExpectUninstallEntry(const TUninstallEntry& entry, const TInstalled& installed);

// The finish actions that ran, as the recorders saw them.
void ExpectFinishActions(const std::string& setup, bool settings, const std::string& readme);

// Removes the named files of an installation into the Windows directory when the test ends.
class TWindowsDirectoryFiles {
public:
    explicit TWindowsDirectoryFiles(std::string scrName);
    ~TWindowsDirectoryFiles();
private:
    std::string FName;
};

// The installer most groups share: licence, readme, own title, a player version that the
// registered stand-in meets, an uninstaller icon, and a name with blanks.
extern const char WalkName[];
std::string WalkInstaller();
std::vector<std::string> WalkLicence();
// The manifest line that gives the uninstaller its icon; none while the build carries no
// uninstaller program.
std::string IconLine();

}  // namespace wizard

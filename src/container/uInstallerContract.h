// What the installer, its uninstaller and the authoring tool must agree on: the names of the data
// block's items, the files an installation writes and its Uninstall key, and the rules for a
// screensaver name and a welcome pattern. Each of them is written here and nowhere else.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The items of the installer's data block (names compare exactly).
namespace ItemName {
inline constexpr char Guid[] = "GUID";  // also the one item of the uninstaller's own block
inline constexpr char Digest[] = "mxf";
inline constexpr char DigestLength[] = "mxl";
inline constexpr char FlashVersion[] = "FlashVersion";
inline constexpr char ScrName[] = "SCRName";
inline constexpr char Silent[] = "InstallerSilent";
inline constexpr char Title[] = "InstallerTitle";
inline constexpr char MessageJa[] = "InstallerMessageJa";
inline constexpr char MessageEn[] = "InstallerMessageEn";
inline constexpr char LeftImage[] = "InstallerLeftImage";
inline constexpr char TopImage[] = "InstallerTopImage";
inline constexpr char TopImageVisible[] = "InstallerTopImageVisible";
inline constexpr char UninstallerIcon[] = "InstallerUninstallerIcon";
inline constexpr char ForceSet[] = "InstallerForceSet";
inline constexpr char VerCheck[] = "InstallerVerCheck";
inline constexpr char InstallPath[] = "InstallerPath";
inline constexpr char Eula[] = "InstallerEULA";
inline constexpr char Readme[] = "InstallerReadme";
inline constexpr char CheckAdmin[] = "InstallerCheckAdmin";
inline constexpr char Scr[] = "SCR";
// What the list of programs and package managers show; optional.
inline constexpr char Publisher[] = "InstallerPublisher";
inline constexpr char Version[] = "InstallerVersion";
inline constexpr char Url[] = "InstallerURL";
}  // namespace ItemName

// The three files of an installation of the screensaver name, in its directory.
std::string ScrFileName(const std::string& scrName);          // NAME.scr
std::string ReadmeFileName(const std::string& scrName);       // NAME.txt
std::string UninstallerFileName(const std::string& scrName);  // NAMEUninst.exe
// What an uninstaller's file name ends with behind the screensaver name (compared without case).
inline constexpr char UninstallerSuffix[] = "Uninst.exe";

// The icon group of the uninstaller that takes the distributor's icon.
inline constexpr char UninstallerIconGroup[] = "MAINICON";

// The Uninstall key of the screensaver name, under HKEY_LOCAL_MACHINE, and the values of it that
// both programs read.
std::string UninstallKeyPath(const std::string& scrName);
inline constexpr char UninstallStringValue[] = "UninstallString";

// The installer's switches, as deployment tools and package managers pass them (any case):
// "/S" silent, "/D=DIR" the directory (the last switch: the rest of the line, blanks and all, no
// quotes), "/LOG=FILE" a log. They follow the program name, or "/AsAdmin" and the account name in
// the elevated instance.
inline constexpr char SilentSwitch[] = "/S";  // the uninstaller's too (QuietUninstallString)
inline constexpr char DirectorySwitch[] = "/D=";
inline constexpr char LogSwitch[] = "/LOG=";
struct TInstallerSwitches {
    bool Silent = false;
    bool HasDirectory = false;
    std::string Directory;
    std::string LogFile;
    std::vector<std::string> Ignored;  // anything else, in order
    std::string Text;                  // the switches as given, for the elevated relaunch
};
// `arguments`: the command line behind the program name (and behind "/AsAdmin NAME").
TInstallerSwitches ParseInstallerSwitches(const std::string& arguments);
// The switches of a whole command line: behind the program name, and behind "/AsAdmin" and the
// account name when the line is the elevated instance's (`elevated` then tells so).
TInstallerSwitches SwitchesOfCommandLine(const std::string& commandLine, bool* elevated = nullptr);

// A screensaver name, as bytes of the code page, that names a file inside the installation
// directory and nothing else: a plain file name as Windows allows it (at most 200 bytes, every
// byte a character of the code page, no control character, separator, drive colon or other
// character Windows refuses, no trailing dot or blank) that is no device name (CON, PRN, AUX,
// NUL, COM0-9, LPT0-9 and their superscript-digit forms, CLOCK$, CONIN$, CONOUT$), whatever
// extension or blanks follow it.
bool IsValidScrName(const std::string& name, unsigned codePage);

// The welcome-pattern rule: exactly one "%s", which stands for the argument, and "%%" for "%";
// no other directive. False (and `result` untouched) for any other pattern.
bool FormatSinglePattern(const std::string& pattern, const std::string& argument, std::string& result);
bool IsSingleStringPattern(const std::string& pattern);

// The text values of the Uninstall entry of an installation, from its uninstaller's full path and
// the name the list of programs shows.
struct TUninstallTexts {
    std::string UninstallString;       // the path, quoted when it holds a blank
    std::string QuietUninstallString;  // the quoted path and the silent switch
    std::string DisplayName;
    std::string DisplayIcon;           // the path and ",0"
    std::string InstallLocation;       // the directory, with its trailing "\"
};
TUninstallTexts UninstallTextsFor(const std::string& uninstallerPath, const std::string& displayName);
// What the English installer puts behind the screensaver name in "DisplayName" (its string table
// holds it for the program; this copy is for the tool that describes the entry).
inline constexpr char EnglishDisplayNameSuffix[] = " Screensaver";
// "InstallDate": the day as YYYYMMDD.
std::string InstallDateText(unsigned year, unsigned month, unsigned day);
// Bytes in whole kilobytes, rounded up, as "EstimatedSize" counts them.
uint32_t KiloBytes(uint64_t bytes);

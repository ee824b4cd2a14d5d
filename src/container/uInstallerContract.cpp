#include "container/uInstallerContract.h"
#include <cstdio>

std::string ScrFileName(const std::string& scrName) { return scrName + ".scr"; }
std::string ReadmeFileName(const std::string& scrName) { return scrName + ".txt"; }
std::string UninstallerFileName(const std::string& scrName) { return scrName + UninstallerSuffix; }

std::string UninstallKeyPath(const std::string& scrName) {
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + scrName;
}

TUninstallTexts UninstallTextsFor(const std::string& uninstallerPath, const std::string& displayName) {
    TUninstallTexts t;
    const std::string quoted = "\"" + uninstallerPath + "\"";
    // An unquoted path with blanks would let "C:\Program.exe" run in its place.
    t.UninstallString = uninstallerPath.find(' ') == std::string::npos ? uninstallerPath : quoted;
    t.QuietUninstallString = quoted + " " + UninstallerSilentSwitch;
    t.DisplayName = displayName;
    t.DisplayIcon = uninstallerPath + ",0";
    t.InstallLocation = uninstallerPath.substr(0, uninstallerPath.find_last_of('\\') + 1);
    return t;
}

uint32_t KiloBytes(uint64_t bytes) { return static_cast<uint32_t>((bytes + 1023) / 1024); }

std::string InstallDateText(unsigned year, unsigned month, unsigned day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04u%02u%02u", year % 10000, month % 100, day % 100);
    return text;
}

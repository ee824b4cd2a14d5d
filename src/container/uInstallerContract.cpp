#include "container/uInstallerContract.h"

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
    t.QuietUninstallString = quoted + " /S";
    t.DisplayName = displayName;
    t.DisplayIcon = uninstallerPath + ",0";
    t.InstallLocation = uninstallerPath.substr(0, uninstallerPath.find_last_of('\\') + 1);
    return t;
}

uint32_t KiloBytes(uint64_t bytes) { return static_cast<uint32_t>((bytes + 1023) / 1024); }

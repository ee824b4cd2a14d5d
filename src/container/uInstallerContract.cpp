#include "container/uInstallerContract.h"
#include <tuple>

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
    t.QuietUninstallString = quoted + " " + SilentSwitch;
    t.DisplayName = displayName;
    t.DisplayIcon = uninstallerPath + ",0";
    t.InstallLocation = uninstallerPath.substr(0, uninstallerPath.find_last_of('\\') + 1);
    return t;
}

uint32_t KiloBytes(uint64_t bytes) { return static_cast<uint32_t>((bytes + 1023) / 1024); }

std::string InstallDateText(unsigned year, unsigned month, unsigned day) {
    // Digits by hand: the runtime's formatter would bring its floating-point code along.
    std::string text(8, '0');
    for (auto [value, end, width] : {std::tuple{year, 4u, 4u}, std::tuple{month, 6u, 2u}, std::tuple{day, 8u, 2u}})
        for (unsigned i = 0; i < width; ++i, value /= 10) text[end - 1 - i] = static_cast<char>('0' + value % 10);
    return text;
}

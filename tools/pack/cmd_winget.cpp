// kestrin-pack winget: the three files of a multi-file Windows Package Manager manifest that
// describe one built installer: its hash, its switches and exit codes, and the Uninstall entry it
// writes. Everything is checked before the first file is written.
#include "Commands.h"
#include "Json.h"
#include "Manifest.h"
#include "Sha256.h"
#include "base/FileOps.h"
#include "container/uInstallerContract.h"
#include "container/uPayload.h"
#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

const char ManifestVersion[] = "1.10.0";

// A YAML double-quoted scalar, which reads JSON's escapes: any text reads back as it is (DEL, which
// YAML does not print, as its escape).
std::string Quoted(const std::string& text) {
    std::string out = JsonString(text), escaped;
    for (char c : out) escaped += c == '\x7F' ? std::string("\\x7F") : std::string(1, c);
    return escaped;
}

// The identifier rule of the schema: two to eight parts joined by dots, each of 1 to 32
// characters that are no blank, control character or one of \ / : * ? " < > |.
bool IsPackageIdentifier(const std::string& id) {
    if (id.empty() || id.size() > 128) return false;
    size_t parts = 1, length = 0;
    for (unsigned char c : id) {
        if (c == '.') {
            if (length == 0) return false;
            ++parts;
            length = 0;
        } else if (c <= ' ' || c == 0x7F || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) {
            return false;
        } else if ((c & 0xC0) != 0x80 && ++length > 32) {  // characters, not the bytes of UTF-8
            return false;
        }
    }
    return length > 0 && parts >= 2 && parts <= 8;
}

std::string Header(const char* type) {
    return std::string("# Made by kestrin-pack winget.\n# yaml-language-server: $schema=https://aka.ms/winget-manifest.") +
           type + "." + ManifestVersion + ".schema.json\n\n";
}

std::string Footer(const char* type) {
    return std::string("ManifestType: ") + type + "\nManifestVersion: " + ManifestVersion + "\n";
}

struct TPackage {
    std::string Id, Version, InstallerUrl, Sha256;
    const TManifest* Manifest;
    std::string Name() const { return Manifest->Title.empty() ? Manifest->ScrName : Manifest->Title; }
    std::string Head() const {
        return "PackageIdentifier: " + Quoted(Id) + "\nPackageVersion: " + Quoted(Version) + "\n";
    }
};

std::string VersionFile(const TPackage& p) {
    return Header("version") + p.Head() + "DefaultLocale: en-US\n" + Footer("version");
}

std::string LocaleFile(const TPackage& p) {
    const TManifest& m = *p.Manifest;
    std::string text = Header("defaultLocale") + p.Head() + "PackageLocale: en-US\nPublisher: " + Quoted(m.Publisher) +
                       "\nPackageName: " + Quoted(p.Name()) + "\n";
    if (!m.Url.empty()) text += "PackageUrl: " + Quoted(m.Url) + "\n";
    return text + "License: " + Quoted(m.License) + "\nShortDescription: " + Quoted(m.Description) + "\n" +
           Footer("defaultLocale");
}

// The exit codes that are no success, as the installer documents them.
struct TReturnCode {
    int Code;
    const char* Response;
};
const TReturnCode ReturnCodes[] = {
    {1, "cancelledByUser"}, {3, "contactSupport"}, {4, "blockedByPolicy"}, {5, "packageInUse"}, {6, "missingDependency"},
};

std::string InstallerFile(const TPackage& p) {
    const TManifest& m = *p.Manifest;
    const std::string silent = Quoted(SilentSwitch);
    std::string text = Header("installer") + p.Head() +
                       "InstallerType: exe\nScope: machine\nInstallModes:\n- interactive\n- silent\n- silentWithProgress\n"
                       "InstallerSwitches:\n  Silent: " + silent + "\n  SilentWithProgress: " + silent +
                       "\n  InstallLocation: " + Quoted(std::string(DirectorySwitch) + "<INSTALLPATH>") +
                       "\n  Log: " + Quoted(std::string(LogSwitch) + "<LOGPATH>") +
                       "\nExpectedReturnCodes:\n";
    for (const TReturnCode& r : ReturnCodes)
        text += "- InstallerReturnCode: " + std::to_string(r.Code) + "\n  ReturnResponse: " + r.Response + "\n";
    text += "UpgradeBehavior: install\nElevationRequirement: elevatesSelf\nProductCode: " + Quoted(m.ScrName) +
            "\nAppsAndFeaturesEntries:\n- DisplayName: " + Quoted(m.ScrName + EnglishDisplayNameSuffix) +
            "\n  Publisher: " + Quoted(m.Publisher) + "\n  DisplayVersion: " + Quoted(m.Version) +
            "\n  ProductCode: " + Quoted(m.ScrName) + "\nInstallers:\n- Architecture: x86\n  InstallerUrl: " +
            Quoted(p.InstallerUrl) + "\n  InstallerSha256: " + p.Sha256 + "\n";
    return text + Footer("installer");
}

// The built installer carries what the manifest gives: each item's value (the last of its name)
// and the screensaver's bytes.
bool BlockMatches(const std::string& file, const TManifest& m, std::string& why) {
    TItemTypes items;
    TBuffer payload;
    try {
        TDataBlockReader reader(file);
        if (!reader.Found()) {
            why = "has no data block";
            return false;
        }
        ReadPayload(reader, items, &payload);
    } catch (const std::exception& e) {
        why = std::string("cannot be read: ") + e.what();
        return false;
    }
    for (const TManifestItem& want : m.Items) {
        auto found = std::find_if(items.rbegin(), items.rend(), [&](const TItemType& i) { return i.Name == want.Name; });
        if (found == items.rend() ||
            std::string(reinterpret_cast<const char*>(found->Data.Data()), found->Data.Size()) != want.Value) {
            why = "does not hold the manifest's \"" + want.Name + "\"";
            return false;
        }
    }
    if (m.HasScr && (payload.Size() != m.Scr.Size() || !std::equal(m.Scr.Data(), m.Scr.Data() + m.Scr.Size(), payload.Data()))) {
        why = "does not hold the manifest's screensaver";
        return false;
    }
    return true;
}

std::string FileSha256(const std::string& file) {
    TFileStream in(file, fmOpenRead | fmShareDenyWrite);
    TSha256 sha;
    std::vector<uint8_t> chunk(1 << 20);
    for (;;) {
        const size_t n = in.Read(chunk.data(), chunk.size());
        if (n == 0) break;
        sha.Update(chunk.data(), n);
    }
    std::string hex = sha.HexDigest();
    std::transform(hex.begin(), hex.end(), hex.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
    return hex;
}

}  // namespace

int CmdWinget(const TVerbArgs& args) {
    TCommandLine cl(args, {"--installer", "--id", "--url", "-o"}, {});
    if (cl.Positional().size() != 1) throw EUsage{"expected one MANIFEST"};
    for (const char* option : {"--installer", "--id", "--url"})
        if (!cl.Has(option)) throw EUsage{std::string(option) + " is required"};
    const std::string manifestPath = cl.Positional()[0], installer = cl.Value("--installer");
    TManifest manifest;
    if (!LoadManifestOrSay(manifestPath, manifest)) return ExitNotFound;
    auto refuse = [&](const std::string& what) {
        PrintError(what);
        return ExitUsage;
    };
    for (auto [key, value] : {std::pair{"publisher", &manifest.Publisher}, std::pair{"version", &manifest.Version},
                              std::pair{"license", &manifest.License}, std::pair{"description", &manifest.Description}})
        if (value->empty()) return refuse(manifestPath + ": \"" + key + "\": is required for a package manager's manifest");
    if (manifest.Publisher.size() < 2 || manifest.Publisher.size() > 256)
        return refuse(manifestPath + ": \"publisher\": must be 2 to 256 characters for a package manager");
    if (manifest.License.size() < 3 || manifest.License.size() > 512)
        return refuse(manifestPath + ": \"license\": must be 3 to 512 characters for a package manager");
    if (manifest.Description.size() < 3 || manifest.Description.size() > 256)
        return refuse(manifestPath + ": \"description\": must be 3 to 256 characters for a package manager");
    TPackage package{cl.Value("--id"), manifest.Version, cl.Value("--url"), "", &manifest};
    if (!IsPackageIdentifier(package.Id))
        return refuse("--id \"" + package.Id + "\": must be two to eight parts joined by dots (Publisher.Package), " +
                      "each of 1 to 32 characters without blanks or \\ / : * ? \" < > |");
    if (!IsWebAddress(package.InstallerUrl))
        return refuse("--url \"" + package.InstallerUrl + "\": must be a web address starting with https:// or http://");
    if (!FileExists(installer)) {
        PrintError(installer + ": no such file");
        return ExitNotFound;
    }
    std::string why;
    if (!BlockMatches(installer, manifest, why))
        return refuse(installer + " " + why + " (" + manifestPath + "): build it from this manifest first");
    package.Sha256 = FileSha256(installer);

    std::string dir = cl.Value("-o", ".");
    std::error_code made;
    std::filesystem::create_directories(dir, made);
    if (made) {
        PrintError(dir + ": cannot make the directory (" + made.message() + ")");
        return ExitNotFound;
    }
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    const std::pair<std::string, std::string> files[] = {
        {dir + package.Id + ".yaml", VersionFile(package)},
        {dir + package.Id + ".locale.en-US.yaml", LocaleFile(package)},
        {dir + package.Id + ".installer.yaml", InstallerFile(package)},
    };
    for (const auto& [path, text] : files) {
        WriteFileReplacing(path, [&](const std::string& scratch) {
            TFileStream out(scratch, fmCreate);
            out.WriteBuffer(text.data(), text.size());
        });
        WriteStdout(path + "\n");
    }
    return ExitOk;
}

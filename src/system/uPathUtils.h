// Special folders, short path names and the folder-selection dialog.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <cstdint>
#include <string>

// The shell's special folders in ascending order of their identifiers (see SpecialFolderId).
enum TSpecialFolder : uint8_t {
    sfDesktop, sfInternet, sfPrograms, sfControls, sfPrinters, sfPersonal, sfFavorites, sfStartup, sfRecent,
    sfSendTo, sfBitBucket, sfStartMenu, sfMyDocuments, sfMyMusic, sfMyVideo,
    sfDesktopDirectory, sfDrives, sfNetwork, sfNetHood, sfFonts, sfTemplates, sfCommonStartMenu,
    sfCommonPrograms, sfCommonStartup, sfCommonDesktopDirectory, sfAppData, sfPrintHood, sfLocalAppData,
    sfAltStartup, sfCommonAltStartup, sfCommonFavorites, sfInternetCache, sfCookies, sfHistory,
    sfCommonAppData, sfWindows, sfSystem, sfProgramFiles, sfMyPictures, sfProfile, sfSystemX86,
    sfProgramFilesX86, sfProgramFilesCommon, sfProgramFilesCommonX86, sfCommonTemplates, sfCommonDocuments,
    sfCommonAdminTools, sfAdminTools, sfConnections,
    sfCommonMusic, sfCommonPictures, sfCommonVideo, sfResources, sfResourcesLocalized, sfCommonOEMLinks,
    sfCDBurnArea,
    sfComputersNearMe,
};
constexpr int SpecialFolderCount = sfComputersNearMe + 1;

// A set of special folders, one bit per member.
using TSpecialFolders = uint64_t;
constexpr TSpecialFolders SpecialFolderBit(TSpecialFolder f) { return TSpecialFolders(1) << f; }

// The shell identifier (CSIDL) of a member.
int SpecialFolderId(TSpecialFolder folder);

// Folder dialog options, one bit per member.
enum TBrowseOption : uint8_t {
    boReturnOnlyFSDirs, boDontGoBelowDomain, boReturnFSAncestors, boNewDialogStyle, boBrowseIncludeUrls,
    boBrowseForComputer, boBrowseForPrinter, boBrowseIncludeFiles,
};
using TBrowseOptions = uint8_t;
constexpr TBrowseOptions BrowseOptionBit(TBrowseOption o) { return TBrowseOptions(1u << o); }
UINT BrowseFlags(TBrowseOptions options);

struct TCallBackData {
    TBrowseOptions Options = 0;
    std::string InitialDirectory;
    TSpecialFolders RefusedFolders = 0;
};

std::string PathFromIDList(LPCITEMIDLIST list);
std::string PathFromIDListWithDelimiter(LPCITEMIDLIST list);
std::string GetSpecialFolder(TSpecialFolder folder);
// What GetSpecialFolder answers when the shell does not know the folder.
std::string SpecialFolderFallback(TSpecialFolder folder);
std::string ShortPathName(const std::string& path);
// Whether two paths name the same file: compared in full form and, for files that exist, in
// their short form, case-insensitively; empty paths name nothing.
bool SamePath(const std::string& a, const std::string& b);
bool BrowseForFolder(const std::string& caption, TBrowseOptions options, TSpecialFolders refused,
                     std::string& directory);
int CALLBACK BrowseCallbackProc(HWND window, UINT message, LPARAM param, LPARAM data);

// COM for the whole program: initialised when the program starts, released when it ends.
// The program entry holds one of these for its lifetime.
class TComInitialization {
public:
    TComInitialization() : FInitialized(SUCCEEDED(CoInitialize(nullptr))) {}
    ~TComInitialization() { if (FInitialized) CoUninitialize(); }
    TComInitialization(const TComInitialization&) = delete;
    TComInitialization& operator=(const TComInitialization&) = delete;
private:
    bool FInitialized;
};

// The path with one trailing "\" (none added when it ends with "\" or "/" already).
std::string IncludeTrailingPathDelimiter(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates the directory and every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& path);

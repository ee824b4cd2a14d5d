#include "system/uPathUtils.h"
#include "win32/uAnsiPath.h"
#include "system/uUtils.h"
#include <memory>
#include <vector>

namespace {

// Frees a shell item list when it goes.
struct TItemList {
    LPITEMIDLIST List = nullptr;
    ~TItemList() { if (List) CoTaskMemFree(List); }
};

std::string UpperCase(const std::string& text) {
    std::string s = text;
    if (!s.empty()) CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));  // system code page rules
    return s;
}

std::string WithDelimiter(const std::string& path) {
    if (path.empty() || EndsWithPathDelimiter(path)) return path;
    return path + "\\";
}

// Disables the program's other windows while a modal shell dialog runs, and enables them after.
class TWindowsDisabled {
public:
    TWindowsDisabled() { EnumThreadWindows(GetCurrentThreadId(), &Disable, reinterpret_cast<LPARAM>(this)); }
    ~TWindowsDisabled() {
        for (HWND w : FWindows) EnableWindow(w, TRUE);
    }
    TWindowsDisabled(const TWindowsDisabled&) = delete;
    TWindowsDisabled& operator=(const TWindowsDisabled&) = delete;
private:
    static BOOL CALLBACK Disable(HWND window, LPARAM self) {
        if (IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            reinterpret_cast<TWindowsDisabled*>(self)->FWindows.push_back(window);
        }
        return TRUE;
    }
    std::vector<HWND> FWindows;
};

class TErrorMode {
public:
    explicit TErrorMode(UINT mode) : FOld(SetErrorMode(mode)) {}
    ~TErrorMode() { SetErrorMode(FOld); }
private:
    UINT FOld;
};

}  // namespace

int SpecialFolderId(TSpecialFolder folder) {
    int f = folder;
    if (f == sfDesktop) return CSIDL_DESKTOPDIRECTORY;  // the file-system folder, not the virtual desktop
    if (f <= sfMyVideo) return f;
    if (f <= sfConnections) return f + 1;
    if (f <= sfCDBurnArea) return f + 4;
    return 0x3D;
}

UINT BrowseFlags(TBrowseOptions options) {
    static const UINT Flags[8] = {0x1, 0x2, 0x8, 0x40, 0x80, 0x1000, 0x2000, 0x4000};
    UINT flags = 0;
    for (int i = 0; i < 8; ++i)
        if (options & (1u << i)) flags |= Flags[i];
    return flags;
}

std::string PathFromIDList(LPCITEMIDLIST list) {
    char buffer[MAX_PATH + 1] = {};
    if (!list || !SHGetPathFromIDListA(list, buffer)) return std::string();
    buffer[MAX_PATH] = '\0';
    std::string path = Trim(buffer);
    // Some shells answer a virtual folder with its parsing name ("::{...}"): no file-system path.
    if (path.compare(0, 2, "::") == 0) return std::string();
    return path;
}

std::string PathFromIDListWithDelimiter(LPCITEMIDLIST list) { return WithDelimiter(PathFromIDList(list)); }

std::string GetSpecialFolder(TSpecialFolder folder) {
    std::string path;
    {
        TItemList list;
        if (SUCCEEDED(SHGetSpecialFolderLocation(GetActiveWindow(), SpecialFolderId(folder), &list.List)))
            path = PathFromIDListWithDelimiter(list.List);
    }
    if (!path.empty()) return path;
    return SpecialFolderFallback(folder);
}

std::string SpecialFolderFallback(TSpecialFolder folder) {
    std::string path;
    if (folder == sfWindows)
        path = ExpandEnvironment("%windir%", MAX_PATH);
    else if (folder == sfProgramFiles)
        path = ReadRegValueByPath(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir");
    // An unexpanded variable is no folder.
    if (path.find('%') != std::string::npos) path.clear();
    return WithDelimiter(path);
}

std::string ShortPathName(const std::string& path) {
    if (path.empty()) return path;
    std::unique_ptr<char[]> buffer(new char[path.size()]());
    DWORD n = GetShortPathNameA(path.c_str(), buffer.get(), static_cast<DWORD>(path.size()));
    // 0 is failure; a count of the buffer size or more means the short form did not fit.
    if (n == 0 || n >= path.size()) return path;
    std::string shortPath = Trim(std::string(buffer.get(), n));
    return shortPath.empty() ? path : shortPath;
}

namespace {
std::string FullPathName(const std::string& path) {
    char buffer[MAX_PATH];
    char* name = nullptr;
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, &name);
    return n == 0 || n >= sizeof buffer ? path : std::string(buffer, n);
}
}  // namespace

bool SamePath(const std::string& a, const std::string& b) {
    if (Trim(a).empty() || Trim(b).empty()) return false;
    const std::string fullA = FullPathName(a), fullB = FullPathName(b);
    return UpperCase(fullA) == UpperCase(fullB) || UpperCase(ShortPathName(fullA)) == UpperCase(ShortPathName(fullB));
}

int CALLBACK BrowseCallbackProc(HWND window, UINT message, LPARAM param, LPARAM data) {
    const auto* callback = reinterpret_cast<const TCallBackData*>(data);
    if (!callback) return 0;
    if (message == BFFM_INITIALIZED) {
        if (!callback->InitialDirectory.empty())
            SendMessageA(window, BFFM_SETSELECTIONA, 1, reinterpret_cast<LPARAM>(callback->InitialDirectory.c_str()));
    } else if (message == BFFM_SELCHANGED && param) {
        std::string selected = UpperCase(PathFromIDListWithDelimiter(reinterpret_cast<LPCITEMIDLIST>(param)));
        bool acceptable = !selected.empty() && SetCurrentDirectoryA(selected.c_str());
        for (int f = 0; acceptable && f < SpecialFolderCount; ++f) {
            if (!(callback->RefusedFolders & SpecialFolderBit(TSpecialFolder(f)))) continue;
            std::string refused = UpperCase(GetSpecialFolder(TSpecialFolder(f)));
            if (!refused.empty() && refused == selected) acceptable = false;
        }
        if (!acceptable) SendMessageA(window, BFFM_ENABLEOK, 0, 0);
    }
    return 0;
}

bool BrowseForFolder(const std::string& caption, TBrowseOptions options, TSpecialFolders refused,
                     std::string& directory) {
    DWORD attributes = directory.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) directory.clear();

    TCallBackData data;
    data.Options = options;
    data.InitialDirectory = directory;
    data.RefusedFolders = refused;
    char displayName[MAX_PATH] = {};

    TItemList root;
    if (options & BrowseOptionBit(boDontGoBelowDomain))
        if (FAILED(SHGetSpecialFolderLocation(GetActiveWindow(), CSIDL_DRIVES, &root.List))) root.List = nullptr;

    BROWSEINFOA info = {};
    info.hwndOwner = GetActiveWindow();
    info.pidlRoot = root.List;
    info.pszDisplayName = displayName;
    info.lpszTitle = caption.c_str();
    info.ulFlags = BrowseFlags(options);
    info.lpfn = &BrowseCallbackProc;
    info.lParam = reinterpret_cast<LPARAM>(&data);

    TItemList chosen;
    {
        TWindowsDisabled disabled;
        TErrorMode errorMode(SEM_FAILCRITICALERRORS);
        chosen.List = SHBrowseForFolderA(&info);
    }
    if (!chosen.List) return false;
    directory = PathFromIDList(chosen.List);
    return true;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && EndsWithPathDelimiter(path)) return path;
    return path + "\\";
}

bool DirectoryExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path) {
    std::string dir = path;
    while (dir.size() > 3 && EndsWithPathDelimiter(dir)) dir.pop_back();
    if (dir.empty()) return false;
    if (DirectoryExists(dir)) return true;
    size_t cut = LastPathDelimiter(dir);
    // A drive root or a name without a parent cannot be created here.
    if (cut == std::string::npos || dir.size() <= 3) return false;
    std::string parent = dir.substr(0, cut);
    if (!parent.empty() && parent.back() != ':' && !ForceDirectories(parent)) return false;
    return CreateDirectoryA(dir.c_str(), nullptr) || DirectoryExists(dir);
}

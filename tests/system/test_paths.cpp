#include "SystemTestSupport.h"
#include "system/uPathUtils.h"
#include "win32/uAnsiPath.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cctype>
#include <iterator>
#include <utility>
#include <vector>

using namespace testing_support;

namespace {
std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A message-only window that records what the folder dialog's callback sends it.
class TRecordingWindow {
public:
    struct TMessage { UINT Message; WPARAM W; std::string Text; LPARAM L; };
    TRecordingWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KestrinRecorder";
        RegisterClassA(&wc);
        FWindow = CreateWindowA("KestrinRecorder", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TRecordingWindow() { if (FWindow) DestroyWindow(FWindow); }
    HWND Handle() const { return FWindow; }
    std::vector<TMessage> Messages;
private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<TRecordingWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (self && m >= WM_USER)
            self->Messages.push_back({m, wp, m == BFFM_SETSELECTIONA ? std::string(reinterpret_cast<const char*>(lp)) : "", lp});
        return DefWindowProcA(w, m, wp, lp);
    }
    HWND FWindow = nullptr;
};

struct TParsedList {
    LPITEMIDLIST List = nullptr;
    explicit TParsedList(const std::string& path) { List = ILCreateFromPathA(path.c_str()); }
    ~TParsedList() { if (List) ILFree(List); }
};

struct ComScope : ::testing::Test {
    TComInitialization Com;
};
}  // namespace

// Each member is the shell folder of its name, as the system's own header numbers them: a
// member that named a neighbouring folder would show here.
TEST(SpecialFolders, EveryMemberIsTheShellFolderOfItsName) {
    const std::pair<TSpecialFolder, int> folders[] = {
        {sfDesktop, CSIDL_DESKTOPDIRECTORY},  // the desktop's file-system folder, not the virtual one
        {sfInternet, CSIDL_INTERNET}, {sfPrograms, CSIDL_PROGRAMS}, {sfControls, CSIDL_CONTROLS},
        {sfPrinters, CSIDL_PRINTERS}, {sfPersonal, CSIDL_PERSONAL}, {sfFavorites, CSIDL_FAVORITES},
        {sfStartup, CSIDL_STARTUP}, {sfRecent, CSIDL_RECENT}, {sfSendTo, CSIDL_SENDTO}, {sfBitBucket, CSIDL_BITBUCKET},
        {sfStartMenu, CSIDL_STARTMENU},
        {sfMyDocuments, 0x0C},  // the virtual My Documents; this header gives the name to CSIDL_PERSONAL
        {sfMyMusic, CSIDL_MYMUSIC}, {sfMyVideo, CSIDL_MYVIDEO}, {sfDesktopDirectory, CSIDL_DESKTOPDIRECTORY},
        {sfDrives, CSIDL_DRIVES}, {sfNetwork, CSIDL_NETWORK}, {sfNetHood, CSIDL_NETHOOD}, {sfFonts, CSIDL_FONTS},
        {sfTemplates, CSIDL_TEMPLATES}, {sfCommonStartMenu, CSIDL_COMMON_STARTMENU},
        {sfCommonPrograms, CSIDL_COMMON_PROGRAMS}, {sfCommonStartup, CSIDL_COMMON_STARTUP},
        {sfCommonDesktopDirectory, CSIDL_COMMON_DESKTOPDIRECTORY}, {sfAppData, CSIDL_APPDATA},
        {sfPrintHood, CSIDL_PRINTHOOD}, {sfLocalAppData, CSIDL_LOCAL_APPDATA}, {sfAltStartup, CSIDL_ALTSTARTUP},
        {sfCommonAltStartup, CSIDL_COMMON_ALTSTARTUP}, {sfCommonFavorites, CSIDL_COMMON_FAVORITES},
        {sfInternetCache, CSIDL_INTERNET_CACHE}, {sfCookies, CSIDL_COOKIES}, {sfHistory, CSIDL_HISTORY},
        {sfCommonAppData, CSIDL_COMMON_APPDATA}, {sfWindows, CSIDL_WINDOWS}, {sfSystem, CSIDL_SYSTEM},
        {sfProgramFiles, CSIDL_PROGRAM_FILES}, {sfMyPictures, CSIDL_MYPICTURES}, {sfProfile, CSIDL_PROFILE},
        {sfSystemX86, CSIDL_SYSTEMX86}, {sfProgramFilesX86, CSIDL_PROGRAM_FILESX86},
        {sfProgramFilesCommon, CSIDL_PROGRAM_FILES_COMMON}, {sfProgramFilesCommonX86, CSIDL_PROGRAM_FILES_COMMONX86},
        {sfCommonTemplates, CSIDL_COMMON_TEMPLATES}, {sfCommonDocuments, CSIDL_COMMON_DOCUMENTS},
        {sfCommonAdminTools, CSIDL_COMMON_ADMINTOOLS}, {sfAdminTools, CSIDL_ADMINTOOLS},
        {sfConnections, CSIDL_CONNECTIONS}, {sfCommonMusic, CSIDL_COMMON_MUSIC},
        {sfCommonPictures, CSIDL_COMMON_PICTURES}, {sfCommonVideo, CSIDL_COMMON_VIDEO}, {sfResources, CSIDL_RESOURCES},
        {sfResourcesLocalized, CSIDL_RESOURCES_LOCALIZED}, {sfCommonOEMLinks, CSIDL_COMMON_OEM_LINKS},
        {sfCDBurnArea, CSIDL_CDBURN_AREA}, {sfComputersNearMe, CSIDL_COMPUTERSNEARME},
    };
    ASSERT_EQ(std::size(folders), static_cast<size_t>(SpecialFolderCount));
    for (int i = 0; i < SpecialFolderCount; ++i) {
        EXPECT_EQ(folders[i].first, i);
        EXPECT_EQ(SpecialFolderId(folders[i].first), folders[i].second) << "member " << i;
    }
}

TEST(SpecialFolders, BrowseFlagsOfEveryOption) {
    const std::pair<TBrowseOption, UINT> options[] = {
        {boReturnOnlyFSDirs, BIF_RETURNONLYFSDIRS}, {boDontGoBelowDomain, BIF_DONTGOBELOWDOMAIN},
        {boReturnFSAncestors, BIF_RETURNFSANCESTORS}, {boNewDialogStyle, BIF_NEWDIALOGSTYLE},
        {boBrowseIncludeUrls, BIF_BROWSEINCLUDEURLS}, {boBrowseForComputer, BIF_BROWSEFORCOMPUTER},
        {boBrowseForPrinter, BIF_BROWSEFORPRINTER}, {boBrowseIncludeFiles, BIF_BROWSEINCLUDEFILES},
    };
    UINT all = 0;
    for (auto [option, flag] : options) {
        EXPECT_EQ(BrowseFlags(BrowseOptionBit(option)), flag) << static_cast<int>(option);
        all |= flag;
    }
    EXPECT_EQ(BrowseFlags(0xFF), all);
    EXPECT_EQ(BrowseFlags(0), 0u);
}

TEST_F(ComScope, WindowsAndProgramFilesFolders) {
    std::string windows = GetSpecialFolder(sfWindows);
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(windows.back(), '\\');
    EXPECT_EQ(Upper(windows), Upper(ExpandEnvironment("%windir%", MAX_PATH) + "\\"));
    std::string programs = GetSpecialFolder(sfProgramFiles);
    ASSERT_FALSE(programs.empty());
    EXPECT_EQ(programs.back(), '\\');
    EXPECT_EQ(GetFileAttributesA(programs.c_str()) & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    // Virtual folders have no path.
    EXPECT_EQ(GetSpecialFolder(sfControls), "");
    EXPECT_EQ(GetSpecialFolder(sfPrinters), "");
}

// In code page 932 "表" is 0x95 0x5C: its second byte is no backslash, in 1252 it is one.
TEST(AnsiPaths, DelimitersAreFoundByCharacterNotByByte) {
    const std::string uninstaller = "C:\\dir\\\x95\x5C\x8E\xA6Uninst.exe";  // C:\dir\表示Uninst.exe
    EXPECT_EQ(LastPathDelimiter(uninstaller, "\\/:", 932), 6u);
    EXPECT_EQ(LastPathDelimiter(uninstaller, "\\/:", 1252), 8u);
    EXPECT_FALSE(EndsWithPathDelimiter("C:\\\x95\x5C", 932));
    EXPECT_TRUE(EndsWithPathDelimiter("C:\\\x95\x5C\\", 932));
    EXPECT_TRUE(EndsWithPathDelimiter("C:\\\x95\x5C", 1252));
    EXPECT_EQ(LastPathDelimiter("name.scr", "\\/:", 932), std::string::npos);
    EXPECT_EQ(LastPathDelimiter("C:\\a\x95", "\\", 932), 2u) << "a lead byte cut off at the end";
}

TEST(ShortPaths, LongNamesWithBlanksBecomeShort) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "A Long Folder Name" / "Another long one");
    std::string file = WindowsPath(dir.File("A Long Folder Name/Another long one/My Screen Saver.scr"));
    WriteFile(file, ToBytes("x"));
    std::string shortPath = ShortPathName(file);
    EXPECT_NE(shortPath, file);
    EXPECT_EQ(shortPath.find(' '), std::string::npos) << shortPath;
    EXPECT_LE(shortPath.size(), file.size());
    // It names the same file, and an 8.3 path comes back unchanged.
    char longForm[MAX_PATH];
    DWORD n = GetLongPathNameA(shortPath.c_str(), longForm, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(Upper(std::string(longForm, n)), Upper(file));
    EXPECT_EQ(ShortPathName(shortPath), shortPath);
    // No such file: the path itself.
    EXPECT_EQ(ShortPathName(WindowsPath(dir.File("does not exist.scr"))), WindowsPath(dir.File("does not exist.scr")));
    EXPECT_EQ(ShortPathName(""), "");
}

TEST(ShortPaths, SamePathAcrossFormsAndCase) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "A Long Folder Name");
    const std::string file = WindowsPath(dir.File("A Long Folder Name/My Screen Saver.scr"));
    const std::string other = WindowsPath(dir.File("A Long Folder Name/My Screen Saver2.scr"));
    WriteFile(file, ToBytes("x"));
    WriteFile(other, ToBytes("y"));
    const std::string shortPath = ShortPathName(file);
    ASSERT_NE(shortPath, file);
    std::string mixed = shortPath.substr(0, shortPath.rfind('\\') + 1) + "My Screen Saver.scr";
    EXPECT_TRUE(SamePath(file, shortPath));
    EXPECT_TRUE(SamePath(Upper(shortPath), file));
    EXPECT_TRUE(SamePath(mixed, Upper(file)));
    EXPECT_TRUE(SamePath(WindowsPath(dir.File("A Long Folder Name/./x/../My Screen Saver.scr")), file));
    EXPECT_FALSE(SamePath(other, file));
    EXPECT_FALSE(SamePath(ShortPathName(other), shortPath));
    EXPECT_FALSE(SamePath("", ""));
    EXPECT_FALSE(SamePath(file, " "));
    // Files that are gone compare in their full form only.
    const std::string gone = WindowsPath(dir.File("Gone Long Name.scr"));
    EXPECT_TRUE(SamePath(gone, Upper(gone)));
}

TEST_F(ComScope, FolderDialogCallbackSelectsAndRefuses) {
    TRecordingWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    TempDir dir;
    TCallBackData data;
    data.InitialDirectory = WindowsPath(NativePath(dir.Path()));
    data.RefusedFolders = SpecialFolderBit(sfControls) | SpecialFolderBit(sfPrinters) | SpecialFolderBit(sfBitBucket) |
                          SpecialFolderBit(sfNetwork) | SpecialFolderBit(sfFonts);

    EXPECT_EQ(BrowseCallbackProc(window.Handle(), BFFM_INITIALIZED, 0, reinterpret_cast<LPARAM>(&data)), 0);
    ASSERT_EQ(window.Messages.size(), 1u);
    EXPECT_EQ(window.Messages[0].Message, static_cast<UINT>(BFFM_SETSELECTIONA));
    EXPECT_EQ(window.Messages[0].W, 1u);
    EXPECT_EQ(window.Messages[0].Text, data.InitialDirectory);

    window.Messages.clear();
    TParsedList plain(data.InitialDirectory);
    ASSERT_NE(plain.List, nullptr);
    BrowseCallbackProc(window.Handle(), BFFM_SELCHANGED, reinterpret_cast<LPARAM>(plain.List), reinterpret_cast<LPARAM>(&data));
    EXPECT_TRUE(window.Messages.empty());

    std::string fonts = GetSpecialFolder(sfFonts);
    ASSERT_FALSE(fonts.empty());
    CreateDirectoryA(fonts.c_str(), nullptr);
    TParsedList fontsList(fonts);
    ASSERT_NE(fontsList.List, nullptr);
    BrowseCallbackProc(window.Handle(), BFFM_SELCHANGED, reinterpret_cast<LPARAM>(fontsList.List), reinterpret_cast<LPARAM>(&data));
    ASSERT_EQ(window.Messages.size(), 1u);
    EXPECT_EQ(window.Messages[0].Message, static_cast<UINT>(BFFM_ENABLEOK));
    EXPECT_EQ(window.Messages[0].W, 0u);
    EXPECT_EQ(window.Messages[0].L, 0);

    // A folder that cannot be made current is refused too, without any message box.
    window.Messages.clear();
    std::string gone = data.InitialDirectory + "\\gone";
    CreateDirectoryA(gone.c_str(), nullptr);
    TParsedList goneList(gone);
    ASSERT_NE(goneList.List, nullptr);
    RemoveDirectoryA(gone.c_str());
    BrowseCallbackProc(window.Handle(), BFFM_SELCHANGED, reinterpret_cast<LPARAM>(goneList.List), reinterpret_cast<LPARAM>(&data));
    ASSERT_EQ(window.Messages.size(), 1u);
    EXPECT_EQ(window.Messages[0].Message, static_cast<UINT>(BFFM_ENABLEOK));

    // Without a data record nothing is sent.
    window.Messages.clear();
    BrowseCallbackProc(window.Handle(), BFFM_INITIALIZED, 0, 0);
    EXPECT_TRUE(window.Messages.empty());
    SetCurrentDirectoryA(WindowsPath(NativePath(std::filesystem::temp_directory_path())).c_str());
}

namespace {
// Presses a button of the folder dialog once it is up: the dialog runs its own message loop
// on this thread, so a thread timer reaches it.
int DialogButton = IDCANCEL;
bool DialogSeen = false;
bool OwnerDisabledMeanwhile = false;
HWND Owner = nullptr;
BOOL CALLBACK FindDialog(HWND window, LPARAM result) {
    char name[16];
    if (GetClassNameA(window, name, sizeof name) && std::string(name) == "#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}
BOOL CALLBACK FindTree(HWND window, LPARAM result) {
    char name[32];
    if (GetClassNameA(window, name, sizeof name) && std::string(name) == WC_TREEVIEWA) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}
// The text of the folder tree's selected item, or empty.
std::string SelectedFolder(HWND dialog) {
    HWND tree = nullptr;
    EnumChildWindows(dialog, &FindTree, reinterpret_cast<LPARAM>(&tree));
    if (!tree) return "";
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return "";
    char text[MAX_PATH] = {};
    TVITEMA tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}
std::string ExpectedFolder;  // the start folder's own name, which OK waits for
bool SelectionSeen = false;
void CALLBACK PressButton(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    // Wine shows the window before it selects the start folder, and under load the gap is
    // long: an early OK would pick another folder. Wait for the selection (at most 10 s).
    static int visibleTicks = 0;
    SelectionSeen = !ExpectedFolder.empty() && Upper(SelectedFolder(dialog)) == Upper(ExpectedFolder);
    if (++visibleTicks < 50 && !ExpectedFolder.empty() && !SelectionSeen) return;
    visibleTicks = 0;
    KillTimer(nullptr, timer);
    DialogSeen = true;
    OwnerDisabledMeanwhile = Owner && !IsWindowEnabled(Owner);
    PostMessageA(dialog, WM_COMMAND, DialogButton, 0);
}
bool RunDialog(int button, std::string& directory) {
    DialogButton = button;
    DialogSeen = false;
    DWORD attributes = GetFileAttributesA(directory.c_str());
    bool exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    char longName[MAX_PATH] = {};
    std::string full = exists && GetLongPathNameA(directory.c_str(), longName, MAX_PATH) ? longName : "";
    ExpectedFolder = button == IDOK ? full.substr(full.find_last_of('\\') + 1) : "";  // the tree shows long names
    UINT_PTR timer = SetTimer(nullptr, 0, 200, &PressButton);
    TBrowseOptions options =
        BrowseOptionBit(boReturnOnlyFSDirs) | BrowseOptionBit(boDontGoBelowDomain) | BrowseOptionBit(boNewDialogStyle);
    bool chosen = BrowseForFolder("Select a directory for installation.", options, SpecialFolderBit(sfFonts), directory);
    KillTimer(nullptr, timer);
    return chosen;
}
}  // namespace

TEST_F(ComScope, FolderDialogCancelAndOk) {
    Owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(Owner, nullptr);
    TempDir dir;
    std::string start = WindowsPath(NativePath(dir.Path()));

    std::string missing = start + "\\not there";
    EXPECT_FALSE(RunDialog(IDCANCEL, missing));
    EXPECT_TRUE(DialogSeen);
    EXPECT_TRUE(OwnerDisabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(Owner));
    EXPECT_EQ(missing, "");  // a start directory that does not exist is dropped

    // Wine 8 leaves the first dialog of a process that has a start folder on the profile
    // folder; the cancelled run comes first so that the chosen one is not that dialog.
    std::string kept = start;
    EXPECT_FALSE(RunDialog(IDCANCEL, kept));
    EXPECT_EQ(kept, start);

    std::string directory = start;
    ASSERT_TRUE(RunDialog(IDOK, directory));
    EXPECT_TRUE(SelectionSeen);
    char a[MAX_PATH], b[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(directory.c_str(), a, MAX_PATH), 0u);
    ASSERT_GT(GetShortPathNameA(start.c_str(), b, MAX_PATH), 0u);
    EXPECT_EQ(Upper(a), Upper(b));  // opened on the start directory, which was then chosen
    EXPECT_NE(directory.back(), '\\');
    DestroyWindow(Owner);
    Owner = nullptr;
    SetCurrentDirectoryA(WindowsPath(NativePath(std::filesystem::temp_directory_path())).c_str());
}

TEST(SpecialFolders, FallbacksWhenTheShellDoesNotKnow) {
    const char key[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    TSavedValue saved(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir");
    WriteRegString(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir", "D:\\Programs");
    EXPECT_EQ(SpecialFolderFallback(sfProgramFiles), "D:\\Programs\\");
    {
        TRegKey k;
        ASSERT_TRUE(k.Open(HKEY_LOCAL_MACHINE, key, KEY_SET_VALUE));
        k.DeleteValue("ProgramFilesDir");
    }
    EXPECT_EQ(SpecialFolderFallback(sfProgramFiles), "");
    EXPECT_EQ(Upper(SpecialFolderFallback(sfWindows)), Upper(ExpandEnvironment("%windir%", MAX_PATH) + "\\"));
    EXPECT_EQ(SpecialFolderFallback(sfFonts), "");
    char old[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("windir", old, MAX_PATH);
    ASSERT_GT(n, 0u);
    SetEnvironmentVariableA("windir", nullptr);
    EXPECT_EQ(SpecialFolderFallback(sfWindows), "");  // no variable: no folder, not "%windir%\"
    SetEnvironmentVariableA("windir", old);
}

// The real uninstaller run against what an installation leaves: files, the Uninstall key with
// the installer's values, the screensaver setting, and the uninstaller with its "GUID" block
// appended by kestrin-pack.
#include "UninstallerTestSupport.h"
#include "startup/AccessTestSupport.h"
#include "system/uPathUtils.h"
#include "system/uSetScreenSaver.h"
#include "startup/uSecurityUtils.h"
#include "win32/uSystemLibrary.h"
#include <gtest/gtest.h>

using namespace testing_support;
using namespace uninstaller_test;

namespace {

const char DesktopKey[] = "Control Panel\\Desktop";
const char UninstallRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool Japanese() { return GetSystemDefaultLCID() == 1041; }
// "スクリーンセーバー" in Shift-JIS.
const char JapaneseSuffix[] = "\x83X\x83N\x83\x8A\x81[\x83\x93\x83Z\x81[\x83o\x81[";

std::string ReadValue(HKEY root, const std::string& key, const std::string& name) {
    TRegKey k;
    std::string text;
    if (!k.Open(root, key, KEY_QUERY_VALUE) || !k.QueryText(name, 2048, text)) return "<none>";
    return text;
}

bool KeyExists(HKEY root, const std::string& key) {
    TRegKey k;
    return k.Open(root, key, KEY_QUERY_VALUE);
}

// One installation in a folder of its own, as the installer leaves it.
class Uninstaller : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        const std::string tag = std::to_string(GetCurrentProcessId()) + "x" + std::to_string(++counter);
        Name = "Kestrin Test" + tag;
        Guid = "{KESTRIN-UNINSTALL-" + tag + "}";
        std::filesystem::create_directories(Folder.Path() / "Program Files");
        Dir = WindowsPath(Folder.File("Program Files")) + "\\";
        Key = UninstallRoot + Name;
        Scratch = std::make_unique<TScratchKey>(HKEY_LOCAL_MACHINE, Key);
    }
    void TearDown() override {
        // The copy that removes the original ends on its own; its leftovers go with the test.
        for (int i = 0; i < 200 && ProcessCount(Name + "Uninst.exe") > 0; ++i) Sleep(100);
        std::vector<std::string> folders;
        for (const std::string& path : PendingRemovals())
            if (path.find(Name + "Uninst.exe") != std::string::npos) folders.push_back(path.substr(0, path.rfind('\\')));
        ForgetPendingRemovals(Name + "Uninst.exe");
        for (const std::string& folder : folders) ForgetPendingRemovals(folder);
    }

    std::string Scr() const { return Dir + Name + ".scr"; }
    std::string Txt() const { return Dir + Name + ".txt"; }
    std::string Exe() const { return Dir + Name + "Uninst.exe"; }
    std::string Caption() const { return Name + (Japanese() ? JapaneseSuffix : " Screensaver"); }

    // The files, the uninstaller with its block, the key and the current-screensaver setting.
    void LayDown(bool withBlock = true) {
        WriteFile(Scr(), RandomBytes(3000, 1));
        WriteFile(Txt(), ToBytes("readme"));
        ASSERT_TRUE(CopyFileA(BuildFile("uninstaller/Uninst.exe").c_str(), Exe().c_str(), FALSE));
        // The installer gives it the distributor's icon, then appends the block.
        ASSERT_EQ(RunProgram(BuildFile("tools/pack/kestrin-pack.exe"),
                             "set-icon \"" + Exe() + "\" \"" + WindowsPath(SourceFile("demo/files/icon.ico")) + "\""),
                  0u);
        if (withBlock) AddItem("GUID=" + Guid);
        const std::string quoted = "\"" + Exe() + "\"";
        WriteRegString(HKEY_LOCAL_MACHINE, Key, "UninstallString", quoted);
        WriteRegString(HKEY_LOCAL_MACHINE, Key, "QuietUninstallString", quoted + " /S");
        WriteRegString(HKEY_LOCAL_MACHINE, Key, "DisplayName", Caption());
        WriteRegString(HKEY_LOCAL_MACHINE, Key, "DisplayIcon", Exe() + ",0");
        WriteRegString(HKEY_LOCAL_MACHINE, Key, "InstallLocation", Dir);
        ASSERT_TRUE(SetScreenSaver(Scr(), ""));
    }
    void AddItem(const std::string& item) {
        ASSERT_EQ(RunProgram(BuildFile("tools/pack/kestrin-pack.exe"), "add \"" + Exe() + "\" \"" + item + "\""), 0u);
    }
    DWORD Run(const std::string& arguments, HANDLE token = nullptr) { return RunProgram(Exe(), arguments, token); }
    // Answers the question with Yes as a user would, and reads and closes the box that tells
    // what happened.
    std::string AnswerYes() {
        HWND question = WaitForBox(Caption());
        if (!question) return "<no question>";
        Press(question, IDYES);
        HWND told = WaitForNextBox(Caption(), question);
        if (!told) return "<nothing told>";
        std::string text = BoxText(told);
        Press(told, IDOK);
        return text;
    }

    // The original goes once the uninstaller's processes have ended.
    bool OriginalGone() {
        for (int i = 0; i < 300 && FileExists(Exe()); ++i) Sleep(100);
        return !FileExists(Exe());
    }
    void ExpectNothingRemoved() {
        EXPECT_TRUE(FileExists(Scr()));
        EXPECT_TRUE(FileExists(Txt()));
        EXPECT_TRUE(FileExists(Exe()));
        EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, Key, "UninstallString"), "\"" + Exe() + "\"");
        EXPECT_EQ(GetScreenSaver(""), ShortPathName(Scr()));
    }
    void ExpectAllRemoved() {
        EXPECT_FALSE(FileExists(Scr()));
        EXPECT_FALSE(FileExists(Txt()));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Key));
        EXPECT_EQ(GetScreenSaver(""), "");
        EXPECT_TRUE(OriginalGone());
        EXPECT_TRUE(FileExists(Dir));  // the folder was there before the installation
    }

    TempDir Folder;
    std::string Name, Guid, Dir, Key;
    std::unique_ptr<TScratchKey> Scratch;
    TSavedValue SavedSetting{HKEY_CURRENT_USER, DesktopKey, "SCRNSAVE.EXE"};
};

// What Wine's own client of the Uninstall key lists.
std::string ListedPrograms(const std::string& wineUninstaller) {
    TempDir out;
    const std::string listFile = out.File("list.txt");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(listFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = file;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + wineUninstaller + "\" --list";
    if (CreateProcessA(wineUninstaller.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &info)) {
        WaitForSingleObject(info.hProcess, 60000);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    CloseHandle(file);
    Bytes listed = ReadFile(listFile);
    return std::string(listed.begin(), listed.end());
}

}  // namespace

TEST_F(Uninstaller, SilentRunRemovesEverythingAndItself) {
    LayDown();
    EXPECT_EQ(Run("/S"), 0u);
    ExpectAllRemoved();
    int running = ProcessCount(Name + "Uninst.exe");
    for (int i = 0; i < 100 && running > 0; ++i, running = ProcessCount(Name + "Uninst.exe")) Sleep(100);
    EXPECT_EQ(running, 0) << "the copy ends once the original is gone";
    // The copy that removed the original waits for the next restart, in a folder of its own
    // below the temporary folder that others cannot use.
    std::vector<std::string> copies;
    for (const std::string& path : PendingRemovals())
        if (path.find(Name + "Uninst.exe") != std::string::npos) copies.push_back(path);
    ASSERT_EQ(copies.size(), 1u);
    const std::string folder = copies[0].substr(0, copies[0].rfind('\\'));
    EXPECT_TRUE(SamePath(folder.substr(0, folder.rfind('\\') + 1), TempDirectory())) << folder;
    std::vector<std::string> pending = PendingRemovals();
    EXPECT_NE(std::find(pending.begin(), pending.end(), folder), pending.end()) << "the folder goes too";
    const std::vector<std::string> sids = AllowedSids(folder);
    EXPECT_FALSE(sids.empty());
    for (const std::string& sid : sids) EXPECT_FALSE(IsOthers(sid)) << sid << " may use the folder";
}

TEST_F(Uninstaller, SilentSwitchInAnyCaseAndUnquotedEntry) {
    LayDown();
    // An entry written without quotes, in capitals and with an argument still names it.
    std::string upper = Exe();
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    WriteRegString(HKEY_LOCAL_MACHINE, Key, "UninstallString", upper + " /x");
    EXPECT_EQ(Run("/s"), 0u);
    ExpectAllRemoved();
}

TEST_F(Uninstaller, AnswerNoRemovesNothingAndYesRemovesAll) {
    // Each language's entry runs this test with the system locale it names.
    const char* expect = std::getenv("KESTRIN_EXPECT_LANG");
    ASSERT_TRUE(expect);
    ASSERT_EQ(Japanese(), std::string(expect) == "ja_JP");
    LayDown();
    {
        TProcess run(Exe(), "");
        HWND box = WaitForBox(Caption());
        ASSERT_TRUE(box) << "no question";
        EXPECT_EQ(BoxText(box), Japanese() ? Caption() + " \x82\xF0\x8D\xED\x8F\x9C\x82\xB5\x82\xDC\x82\xB7\x82\xA9?"
                                           : "Remove " + Caption() + " from this computer?");
        Press(box, IDNO);
        EXPECT_EQ(run.Wait(), 1u);
    }
    ExpectNothingRemoved();
    {
        TProcess run(Exe(), "");
        // What happened is told in a box of its own.
        EXPECT_EQ(AnswerYes(), Japanese() ? Caption() + " \x82\xF0\x8D\xED\x8F\x9C\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B"
                                          : Caption() + " was removed.");
        EXPECT_EQ(run.Wait(), 0u);
    }
    ExpectAllRemoved();
}

TEST_F(Uninstaller, RunningScreensaverRemovesNothing) {
    LayDown();
    HANDLE mutex = CreateMutexA(nullptr, TRUE, Guid.c_str());  // what the running screensaver holds
    ASSERT_TRUE(mutex);
    EXPECT_EQ(Run("/S"), 2u);
    {
        TProcess run(Exe(), "");
        HWND box = WaitForBox(Caption());
        ASSERT_TRUE(box) << "the user is told";
        Press(box, IDOK);
        EXPECT_EQ(run.Wait(), 2u);
    }
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    ExpectNothingRemoved();
    // The test never created the mutex for the uninstaller: with it gone, the removal goes on.
    EXPECT_EQ(Run("/S"), 0u);
    ExpectAllRemoved();
}

TEST_F(Uninstaller, LockedScreensaverStaysWithTheEntryAndASecondRunFinishes) {
    LayDown();
    HANDLE lock = CreateFileA(Scr().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Run("/S"), 3u);
    EXPECT_TRUE(FileExists(Scr()));
    EXPECT_FALSE(FileExists(Txt()));
    EXPECT_EQ(GetScreenSaver(""), "");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, Key)) << "the entry stays until the removal is complete";
    EXPECT_TRUE(FileExists(Exe())) << "kept to finish the job";
    {
        TProcess run(Exe(), "");
        const std::string told = AnswerYes();
        EXPECT_NE(told.find(Scr()), std::string::npos) << told;
        EXPECT_EQ(run.Wait(), 3u);
    }
    CloseHandle(lock);
    EXPECT_EQ(Run("/S"), 0u);
    EXPECT_FALSE(FileExists(Scr()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Key));
    EXPECT_TRUE(OriginalGone());
}

TEST_F(Uninstaller, OthersSettingAndOthersEntryStay) {
    LayDown();
    const std::string other = Dir + "Other.scr";
    WriteFile(other, ToBytes("another screensaver"));
    ASSERT_TRUE(SetScreenSaver(other, ""));
    // Another installation of the same name elsewhere owns the entry.
    const std::string elsewhere = "\"C:\\Elsewhere\\" + Name + "Uninst.exe\"";
    WriteRegString(HKEY_LOCAL_MACHINE, Key, "UninstallString", elsewhere);
    EXPECT_EQ(Run("/S"), 0u);
    EXPECT_FALSE(FileExists(Scr()));
    EXPECT_FALSE(FileExists(Txt()));
    EXPECT_EQ(GetScreenSaver(""), ShortPathName(other));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, Key, "UninstallString"), elsewhere);
    EXPECT_TRUE(OriginalGone());
    EXPECT_TRUE(FileExists(other));
}

TEST_F(Uninstaller, MissingReadmeAndEntryAreNoFailure) {
    LayDown();
    DeleteFileA(Txt().c_str());
    DeleteRegTree(HKEY_LOCAL_MACHINE, Key);
    SetFileAttributesA(Scr().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Run("/S"), 0u);
    EXPECT_FALSE(FileExists(Scr()));
    EXPECT_TRUE(OriginalGone());
}

TEST_F(Uninstaller, DamagedUninstallerRemovesNothing) {
    LayDown(false);
    EXPECT_EQ(Run("/S"), 5u) << "no block";
    ExpectNothingRemoved();
    AddItem("SCRName=" + Name);
    EXPECT_EQ(Run("/S"), 5u) << "a block without GUID";
    {
        TProcess run(Exe(), "");
        HWND box = WaitForBox(Caption());
        ASSERT_TRUE(box) << "the user is told";
        Press(box, IDOK);
        EXPECT_EQ(run.Wait(), 5u);
    }
    ExpectNothingRemoved();
    // Renamed so that its name tells no installation, it cannot know what to remove.
    AddItem("GUID=" + Guid);
    const std::string renamed = Dir + Name + "Remover.exe";
    ASSERT_TRUE(CopyFileA(Exe().c_str(), renamed.c_str(), FALSE));
    EXPECT_EQ(RunProgram(renamed, "/S"), 5u);
    ExpectNothingRemoved();
}

TEST_F(Uninstaller, StartingUsersSettingIsFoundByTheAccountName) {
    LayDown();
    std::string domain, account;
    ASSERT_TRUE(GetCurrentUserAccount(domain, account));
    // As the elevated relaunch is started: an unknown account's hive has no setting to undo.
    const std::string setting = GetScreenSaver("");
    EXPECT_EQ(Run("/AsAdmin \"no such account\" /S"), 0u);
    EXPECT_EQ(GetScreenSaver(""), setting);
    EXPECT_TRUE(OriginalGone());
    LayDown();
    // The starting user's hive below HKEY_USERS (the current user's, here).
    EXPECT_EQ(Run("/AsAdmin \"" + account + "\" /S"), 0u);
    ExpectAllRemoved();
}

// Wine starts a "runas" program from a filtered token with that same token: for the relaunched
// uninstaller this is the elevation refused.
TEST_F(Uninstaller, NotElevatedItRelaunchesWaitsAndPassesTheRefusalOn) {
    LayDown();
    HANDLE limited = LimitedToken();
    ASSERT_TRUE(limited);
    {
        TProcess run(Exe(), "", limited);
        HWND box = WaitForBox(Caption());
        ASSERT_TRUE(box);
        // The first instance waits while the relaunched one tells the user.
        EXPECT_EQ(ProcessCount(Name + "Uninst.exe"), 2);
        Press(box, IDOK);
        EXPECT_EQ(run.Wait(), 4u);
    }
    EXPECT_EQ(Run("/S", limited), 4u);
    CloseHandle(limited);
    ExpectNothingRemoved();
}

TEST_F(Uninstaller, SystemsListOfProgramsRunsItAndTheEntryLeavesTheList) {
    LayDown();
    const std::string wineUninstaller = SystemDirectory() + "uninstaller.exe";
    ASSERT_NE(ListedPrograms(wineUninstaller).find(Name), std::string::npos) << "the entry is listed first";
    TProcess remove(wineUninstaller, "--remove \"" + Name + "\"");
    EXPECT_EQ(AnswerYes(), Caption() + " was removed.");
    EXPECT_NE(remove.Wait(), NoExitCode);
    ExpectAllRemoved();
    // The list the system shows no longer names it.
    EXPECT_EQ(ListedPrograms(wineUninstaller).find(Name), std::string::npos);
}

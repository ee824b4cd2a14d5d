// Every way the wizard ends on its failure page: the start-up checks (digest, player control,
// running screensaver, invalid name), a missing directory, faults while the files are written,
// and the silent mode with each of its outcomes. Each checks the page, the exit code and that
// nothing was written that should not be.
#include "WizardPages.h"
#include <gtest/gtest.h>
#include <memory>

using namespace wizard;
using testing_support::TempDir;
using testing_support::ToBytes;
using testing_support::ScrNameCases;
using testing_support::TScrNameCase;

namespace {

std::vector<std::string> One(const std::string& line) { return {line}; }

std::vector<std::string> PlayerMessage(const std::string& version) {
    std::vector<std::string> lines = Texts().FlashMissing;
    if (!version.empty()) lines.push_back(Texts().VersionRequired(version));
    return lines;
}

// Holds the mutex that a running screensaver of that identifier holds.
class TRunningScreensaver {
public:
    explicit TRunningScreensaver(const std::string& guid) : FMutex(CreateMutexA(nullptr, TRUE, guid.c_str())) {}
    ~TRunningScreensaver() {
        if (!FMutex) return;
        ReleaseMutex(FMutex);
        CloseHandle(FMutex);
    }
    bool Held() const { return FMutex != nullptr; }
private:
    HANDLE FMutex;
};

// Quits the failure page and returns the exit code.
int Quit(TRun& run) {
    run.Wizard.Click(TControl::Next);
    return run.Process.Wait();
}

// Runs a silent installer to its end: whether its wizard window was ever made (shown or hidden:
// a window with the wizard's caption), and its exit code (-1 when it did not end).
int RunSilently(TProcess& process, bool& formSeen) {
    formSeen = false;
    WaitFor([&] {
        formSeen = formSeen || process.WaitForForm(0) != nullptr || process.HasWindowTitled(Texts().DefaultCaption);
        return !process.Running();
    });
    return process.Wait(0);
}

// From the welcome page of an installer without licence to Install, which fails to write: the
// error box (pictured when a name is given), then the failure page.
void InstallIntoTheWriteFailure(TRun& run, const std::string& picture) {
    const TWizard& w = run.Wizard;
    w.Click(TControl::Next);
    ASSERT_EQ(w.Page(), TPage::Options);
    w.PostClick(TControl::Next);
    HWND box = run.Process.WaitForDialog();
    ASSERT_NE(box, nullptr) << w.Describe();
    EXPECT_EQ(Text(box), "Setup") << "captioned with the program's title";
    const std::vector<std::string> texts = DialogTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(), Texts().WriteFailure), texts.end());
    if (!picture.empty()) Screenshot(box, picture);
    ASSERT_TRUE(PressDialogButton(box, IDOK));
    ASSERT_TRUE(w.WaitForPage(TPage::Failure)) << w.Describe();
    ExpectFailurePage(w, One(Texts().WriteFailure), false);
}

// A directory of its own for an installer with a fixed installation directory.
struct TFixedDirectory {
    TempDir Dir;
    std::string Path = WindowsPath(Dir.File("target"));
    TFixedDirectory() { CreateDirectoryA(Path.c_str(), nullptr); }
    std::string Manifest() const { return "install_path = '" + Path + "'\n"; }
};

}  // namespace

TEST(WizardFailures, DigestMismatchIsInvalidData) {
    const std::string setup = BuildInstaller({"baddigest", "KestrinBadDigest", "mxf = \"0000\"\n"});
    TWindowsDirectoryFiles files("KestrinBadDigest");
    TRun run(setup, AsAdmin(Account()));
    ExpectFailurePage(run.Wizard, One(Texts().InvalidData), false);
    Screenshot(run.Wizard.Handle(), Lang() + "-failure");
    // Escape belongs to the disabled Cancel: the failure page stays.
    run.Wizard.Activate();
    PressKey(VK_ESCAPE);
    Sleep(300);
    EXPECT_TRUE(run.Process.Running());
    EXPECT_EQ(Quit(run), 2);
    EXPECT_FALSE(FileExists(WindowsDirectory() + "KestrinBadDigest.scr"));
}

// Missing, or older than "FlashVersion" asks: the failure page with the download button. With
// the version check switched off the old control will do; without a version the page names none.
TEST(WizardFailures, PlayerControlMissingOrTooOld) {
    const std::string setup = BuildInstaller({"needsplayer", "KestrinNeedsPlayer", "flash_version = \"10.0.0.0\"\n"});
    {
        SCOPED_TRACE("missing");
        TPlayerControl control(TPlayerControl::None);
        TRun run(setup, AsAdmin(Account()));
        ExpectFailurePage(run.Wizard, PlayerMessage("10.0.0.0"), true);
        Screenshot(run.Wizard.Handle(), Lang() + "-failure-player");
        // The download button opens the page in the default browser, as often as it is pressed.
        ForgetCalls(setup);
        run.Wizard.Click(TControl::GetPlayer);
        run.Wizard.Click(TControl::GetPlayer);
        EXPECT_TRUE(WaitFor([] { return BrowserCalls().size() >= 2; }, 10000));
        const std::vector<std::string> calls = BrowserCalls();
        ASSERT_EQ(calls.size(), 2u);
        for (const std::string& call : calls) {
            const std::string program = "\"" + BrowserProgram() + "\" ";
            EXPECT_EQ(Upper(call.substr(0, program.size())), Upper(program)) << call;
            EXPECT_EQ(call.substr(program.size(), 8), "https://") << call;
        }
        EXPECT_EQ(calls[0], calls[1]);
        EXPECT_EQ(run.Wizard.Page(), TPage::Failure);
        EXPECT_EQ(Quit(run), 6);
    }
    {
        SCOPED_TRACE("too old");
        TPlayerControl control(TPlayerControl::Old);
        TRun run(setup, AsAdmin(Account()));
        ExpectFailurePage(run.Wizard, PlayerMessage("10.0.0.0"), true);
        EXPECT_EQ(Quit(run), 6);
    }
    {
        SCOPED_TRACE("too old, version not checked");
        TPlayerControl control(TPlayerControl::Old);
        TRun run(BuildInstaller({"nocheck", "KestrinNoCheck", "flash_version = \"10.0.0.0\"\nver_check = false\n"}),
                 AsAdmin(Account()));
        ExpectWelcomePage(run.Wizard, Texts().Welcome("KestrinNoCheck"));
        run.Wizard.Click(TControl::Cancel);
        EXPECT_EQ(run.Process.Wait(), 1);
    }
    {
        SCOPED_TRACE("missing, no version asked for");
        TPlayerControl control(TPlayerControl::None);
        TRun run(BuildInstaller({"noversion", "KestrinNoVersion", ""}), AsAdmin(Account()));
        ExpectFailurePage(run.Wizard, PlayerMessage(""), true);
        EXPECT_EQ(Quit(run), 6);
    }
}

// A running screensaver (its mutex held) stops the wizard at start; the download button shows
// only when the player check had failed as well.
TEST(WizardFailures, RunningScreensaver) {
    const std::string setup = BuildInstaller({"running", "KestrinRunning", ""});
    TRunningScreensaver running(Guid("running"));
    ASSERT_TRUE(running.Held());
    {
        TRun run(setup, AsAdmin(Account()));
        ExpectFailurePage(run.Wizard, Texts().ScreensaverActive, false);
        EXPECT_EQ(Quit(run), 5);
    }
    {
        TPlayerControl control(TPlayerControl::None);
        TRun run(setup, AsAdmin(Account()));
        ExpectFailurePage(run.Wizard, Texts().ScreensaverActive, true);
        EXPECT_EQ(Quit(run), 5);
    }
}

// A directory typed into the path box that does not exist: Install shows the page naming it
// with a trailing backslash, and nothing is made.
TEST(WizardFailures, MissingDirectoryTypedIntoThePathBox) {
    const std::string setup = WalkInstaller();
    TUninstallEntry entry(WalkName);
    const std::string missing = "C:\\kestrin-no-such-dir-" + std::to_string(GetCurrentProcessId()) + "\\deeper";
    TRun run(setup, AsAdmin(Account()));
    const TWizard& w = run.Wizard;
    w.Click(TControl::Next);
    w.Click(TControl::Agree);
    w.Click(TControl::Next);
    w.Click(TControl::ChangePath);
    // Typed with the keyboard into the box, as a user does.
    w.Activate();
    POINT box = w.Centre(TControl::Path);
    ClickPoint(box.x, box.y);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(w.Get(TControl::Path), EM_SETSEL, 0, -1, SMTO_NORMAL, WaitMs, &result);
    TypeText(missing);
    ASSERT_EQ(w.TextOf(TControl::Path), missing);
    w.PostClick(TControl::Next);
    ASSERT_TRUE(w.WaitForPage(TPage::Failure)) << w.Describe();
    ExpectFailurePage(w, Texts().DirectoryMissing(missing + "\\"), false);
    EXPECT_EQ(GetFileAttributesA(("C:\\kestrin-no-such-dir-" + std::to_string(GetCurrentProcessId())).c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(entry.Exists());
    EXPECT_EQ(Quit(run), 3);
}

// The installer refuses exactly the names the authoring tool refuses (one table drives both
// sides' tests; the rows of this system's code page run here): a refused name is invalid data,
// silently no window and nothing written, in the wizard the failure page; an accepted one installs
// and is removed again by its uninstaller.
TEST(WizardFailures, ScreensaverNamesAreJudgedAsTheToolJudgesThem) {
    SetCurrentScreenSaver("C:\\previous.scr");
    int n = 0;
    for (const TScrNameCase& c : ScrNameCases()) {
        if (c.CodePage != GetACP()) continue;
        SCOPED_TRACE(c.Name);
        const std::string name = Utf8ToAnsi(c.Name);
        TFixedDirectory fixed;
        TUninstallEntry entry(name);
        // The tool refuses such names; a later item of the same name wins in the installer.
        const std::string setup = BuildInstaller(
            {"name" + std::to_string(n++), "KestrinName",
             "codepage = " + std::to_string(c.CodePage) + "\n" + fixed.Manifest() +
                 "silent = true\n[[item]]\nname = \"SCRName\"\ntext = '" + c.Name + "'\n"});
        TProcess process(setup, AsAdmin(Account()));
        bool formSeen = false;
        EXPECT_EQ(RunSilently(process, formSeen), c.Accepted ? 0 : 2);
        EXPECT_FALSE(formSeen);
        if (c.Accepted) {
            EXPECT_EQ(DirectoryNames(fixed.Path), (std::vector<std::string>{name + ".scr", name + "Uninst.exe"}));
            EXPECT_TRUE(entry.Exists());
            // And its uninstaller finds its installation again: a name whose double-byte
            // characters end in 0x5C ("表") is no folder of its path.
            TProcess uninstaller(fixed.Path + "\\" + name + "Uninst.exe", "/S");
            EXPECT_EQ(uninstaller.Wait(), 0);
            EXPECT_TRUE(WaitFor([&] { return DirectoryNames(fixed.Path).empty(); })) << "all removed";
            EXPECT_FALSE(entry.Exists());
        } else {
            EXPECT_EQ(DirectoryNames(fixed.Path), std::vector<std::string>{});
            EXPECT_FALSE(entry.Exists());
            EXPECT_EQ(CurrentScreenSaver(), "C:\\previous.scr");
        }
        EXPECT_EQ(DirectoryNames(WindowsPath(fixed.Dir.File(""))), std::vector<std::string>{"target"});
        SetCurrentScreenSaver("C:\\previous.scr");
    }
    EXPECT_GE(n, Japanese() ? 3 : 15) << "the table has rows of this code page";
    // In the wizard a refused name is the failure page at start.
    TFixedDirectory fixed;
    TProcess process(BuildInstaller({"namewizard", "KestrinName",
                                     fixed.Manifest() + "[[item]]\nname = \"SCRName\"\ntext = 'CON'\n"}),
                     AsAdmin(Account()));
    TWizard w(process.WaitForForm());
    ExpectFailurePage(w, One(Texts().InvalidData), false);
    w.Click(TControl::Next);
    EXPECT_EQ(process.Wait(), 2);
    EXPECT_EQ(DirectoryNames(fixed.Path), std::vector<std::string>{});
}

// The screensaver file cannot be replaced (held open without sharing by another program, or a
// directory of its name): the error box, then the failure page; the old file is unchanged and
// nothing else is written.
TEST(WizardFailures, WriteFaultsShowTheErrorBoxAndKeepWhatWasThere) {
    const std::string name = "KestrinFault";
    TFixedDirectory fixed;
    const std::string setup = BuildInstaller({"fault", name, fixed.Manifest() + IconLine()});
    const std::string scr = fixed.Path + "\\" + name + ".scr";
    TUninstallEntry entry(name);
    SetCurrentScreenSaver("C:\\previous.scr");
    for (bool locked : {true, false}) {
        SCOPED_TRACE(locked ? "held open" : "a directory of that name");
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (locked) {
            testing_support::WriteFile(scr, ToBytes("the screensaver that was there"));
            holder = CreateFileA(scr.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        } else {
            ASSERT_TRUE(CreateDirectoryA(scr.c_str(), nullptr));
        }
        TRun run(setup, AsAdmin(Account()));
        InstallIntoTheWriteFailure(run, locked ? Lang() + "-write-failure" : "");
        EXPECT_EQ(Quit(run), 3);
        if (locked) {
            CloseHandle(holder);
            EXPECT_EQ(ReadBytes(scr), ToBytes("the screensaver that was there"));
        } else {
            EXPECT_NE(GetFileAttributesA(scr.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
        }
        EXPECT_EQ(DirectoryNames(fixed.Path), std::vector<std::string>{name + ".scr"}) << "nothing else written";
        EXPECT_FALSE(entry.Exists());
        EXPECT_EQ(CurrentScreenSaver(), "C:\\previous.scr");
        if (locked)
            DeleteFileA(scr.c_str());
        else
            RemoveDirectoryA(scr.c_str());
    }
}

// A disk too small for the screensaver (the small drive K: of the test environment): the same
// error box and failure page, the older file that was there unchanged, no scratch file left.
TEST(WizardFullDisk, ShowsTheErrorBoxAndKeepsTheOlderFile) {
    if (GetDriveTypeA("K:\\") == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "no small drive K: here (the test environment could not mount one)";
    const std::string name = "KestrinFull";
    const std::string dir = "K:\\full";
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string scr = dir + "\\" + name + ".scr";
    testing_support::WriteFile(scr, ToBytes("the older screensaver"));
    ASSERT_GT(PayloadBytes("saver.scr").size(), 128u * 1024) << "the payload must not fit on the drive";
    const std::string setup = BuildInstaller({"fulldisk", name, "install_path = '" + dir + "'\n" + IconLine()});
    TUninstallEntry entry(name);
    SetCurrentScreenSaver("C:\\previous.scr");
    TRun run(setup, AsAdmin(Account()));
    InstallIntoTheWriteFailure(run, "");
    EXPECT_EQ(Quit(run), 3);
    EXPECT_EQ(ReadBytes(scr), ToBytes("the older screensaver"));
    EXPECT_EQ(DirectoryNames(dir), std::vector<std::string>{name + ".scr"}) << "no scratch file left";
    EXPECT_FALSE(entry.Exists());
    EXPECT_EQ(CurrentScreenSaver(), "C:\\previous.scr");
    DeleteFileA(scr.c_str());
    RemoveDirectoryA(dir.c_str());
}

// Silent mode: installed without a window; damaged data installs nothing (exit 2) rather than a
// corrupt screensaver unseen; a running screensaver shows the failure page; a write fault shows
// only the error box.
TEST(WizardFailures, SilentModeWithEachOutcome) {
    const std::string name = "KestrinSilent";
    TUninstallEntry entry(name);
    SetCurrentScreenSaver("C:\\previous.scr");
    {
        SCOPED_TRACE("installed");
        TFixedDirectory fixed;
        const std::string setup = BuildInstaller({"silent", name, fixed.Manifest() + "silent = true\n" + IconLine()});
        TProcess process(setup, AsAdmin(Account()));
        bool formSeen = false;
        EXPECT_EQ(RunSilently(process, formSeen), 0);
        EXPECT_FALSE(formSeen);
        const TInstalled installed{fixed.Path + "\\", name, Guid("silent"), false};
        ExpectInstalledFiles(installed);
        ExpectUninstallEntry(entry, installed);
        EXPECT_EQ(CurrentScreenSaver(), ShortPath(installed.Scr()));
        SetCurrentScreenSaver("C:\\previous.scr");
    }
    {
        SCOPED_TRACE("digest mismatch");
        TFixedDirectory fixed;
        const std::string setup =
            BuildInstaller({"silentdigest", name, fixed.Manifest() + "silent = true\nmxf = \"0000\"\n"});
        TUninstallEntry fresh(name);
        TProcess process(setup, AsAdmin(Account()));
        bool formSeen = false;
        EXPECT_EQ(RunSilently(process, formSeen), 2);
        EXPECT_FALSE(formSeen);
        EXPECT_EQ(DirectoryNames(fixed.Path), std::vector<std::string>{});
        EXPECT_FALSE(fresh.Exists());
        EXPECT_EQ(CurrentScreenSaver(), "C:\\previous.scr");
    }
    {
        SCOPED_TRACE("screensaver running");
        TFixedDirectory fixed;
        const std::string setup = BuildInstaller({"silentrunning", name, fixed.Manifest() + "silent = true\n"});
        TUninstallEntry fresh(name);
        TRunningScreensaver running(Guid("silentrunning"));
        TRun run(setup, AsAdmin(Account()));
        ExpectFailurePage(run.Wizard, Texts().ScreensaverActive, false);
        EXPECT_EQ(Quit(run), 5);
        EXPECT_EQ(DirectoryNames(fixed.Path), std::vector<std::string>{});
        EXPECT_FALSE(fresh.Exists());
    }
    {
        SCOPED_TRACE("write fault");
        TFixedDirectory fixed;
        const std::string setup = BuildInstaller({"silentfault", name, fixed.Manifest() + "silent = true\n"});
        TUninstallEntry fresh(name);
        ASSERT_TRUE(CreateDirectoryA((fixed.Path + "\\" + name + ".scr").c_str(), nullptr));
        TProcess process(setup, AsAdmin(Account()));
        HWND box = process.WaitForDialog();
        ASSERT_NE(box, nullptr);
        const std::vector<std::string> texts = DialogTexts(box);
        EXPECT_NE(std::find(texts.begin(), texts.end(), Texts().WriteFailure), texts.end());
        EXPECT_EQ(process.WaitForForm(0), nullptr) << "silent: no wizard window";
        ASSERT_TRUE(PressDialogButton(box, IDOK));
        EXPECT_EQ(process.Wait(), 3);
        EXPECT_EQ(DirectoryNames(fixed.Path), std::vector<std::string>{name + ".scr"});
        EXPECT_FALSE(fresh.Exists());
        EXPECT_EQ(CurrentScreenSaver(), "C:\\previous.scr");
        RemoveDirectoryA((fixed.Path + "\\" + name + ".scr").c_str());
    }
}

// The silent switch, with an installer whose block is not silent: no window at all, the directory
// of "/D=" (blanks, no quotes, made with its parents), the entry with the manifest's publisher and
// version; a running screensaver and a relative directory end the run with their codes.
TEST(WizardFailures, SilentSwitchOpensNoWindowAndItsExitCodeSaysWhatHappened) {
    const std::string name = "KestrinSwitch";
    const std::string setup = BuildInstaller(
        {"switch", name, IconLine() + "publisher = \"Kestrin Samples\"\nversion = \"1.2.0\"\n"});
    TUninstallEntry entry(name);
    SetCurrentScreenSaver("C:\\previous.scr");
    TempDir dir;
    // A directory name in the system's language, which the log holds in UTF-8.
    const std::string folder = Japanese() ? "\xE5\xA4\x9C\xE7\xA9\xBA \xE3\x81\xAE Savers" : "My Savers";  // 夜空 の
    const std::string target = WindowsPath(dir.File("")) + Utf8ToAnsi(folder) + "\\deeper";
    const std::string logFile = WindowsPath(dir.File("setup log.txt"));
    {
        TProcess process(setup, AsAdmin(Account()) + " /s /LOG=\"" + logFile + "\" /D=" + target);
        bool formSeen = false;
        EXPECT_EQ(RunSilently(process, formSeen), 0);
        EXPECT_FALSE(formSeen);
        const Bytes bytes = ReadBytes(logFile);
        const std::string log(bytes.begin(), bytes.end()), scr = AnsiToUtf8(target) + "\\" + name + ".scr";
        EXPECT_NE(log.find("file written: " + scr + " ("), std::string::npos) << log;
        EXPECT_NE(log.find("file written: " + AnsiToUtf8(target) + "\\" + name + "Uninst.exe ("), std::string::npos);
        EXPECT_NE(log.find("registry: HKEY_LOCAL_MACHINE\\" + entry.Key() + "\\UninstallString = "), std::string::npos);
        EXPECT_EQ(log.substr(log.size() - std::min<size_t>(log.size(), 13)), "exit code 0\r\n");
        TInstalled installed{target + "\\", name, Guid("switch"), false};
        installed.Publisher = "Kestrin Samples";
        installed.Version = "1.2.0";
        ExpectInstalledFiles(installed);
        ExpectUninstallEntry(entry, installed);
        EXPECT_EQ(CurrentScreenSaver(), ShortPath(installed.Scr()));
    }
    SetCurrentScreenSaver("C:\\previous.scr");
    {
        SCOPED_TRACE("without /AsAdmin: relaunched, and the first process ends with the elevated one's code");
        const std::string plain = WindowsPath(dir.File("plain"));
        TProcess process(setup, "/S /D=" + plain);
        bool formSeen = false;
        EXPECT_EQ(RunSilently(process, formSeen), 0);
        EXPECT_FALSE(formSeen);
        EXPECT_TRUE(FileExists(plain + "\\" + name + ".scr"));
    }
    SetCurrentScreenSaver("C:\\previous.scr");
    const std::string other = WindowsPath(dir.File("other"));
    const std::string damaged = BuildInstaller({"switchdamaged", name, "mxf = \"0000\"\n"});
    struct TCase {
        std::string Setup, Arguments;
        int Code;
    };
    for (const TCase& c : {TCase{setup, " /S /D=" + other, 5}, TCase{setup, " /S /D=relative\\dir", 3},
                           TCase{damaged, " /S /D=" + other, 2}}) {
        SCOPED_TRACE(c.Arguments + " exit " + std::to_string(c.Code));
        std::unique_ptr<TRunningScreensaver> running;
        if (c.Code == 5) running = std::make_unique<TRunningScreensaver>(Guid("switch"));
        TProcess process(c.Setup, AsAdmin(Account()) + c.Arguments);
        bool formSeen = false;
        EXPECT_EQ(RunSilently(process, formSeen), c.Code);
        EXPECT_FALSE(formSeen);
        EXPECT_EQ(DirectoryNames(other), std::vector<std::string>{});
        EXPECT_EQ(CurrentScreenSaver(), "C:\\previous.scr");
    }
    {
        SCOPED_TRACE("a directory in the way of the screensaver: no box, exit 3, the log names the file");
        const std::string blocked = WindowsPath(dir.File("blocked")), failLog = WindowsPath(dir.File("fail.log"));
        CreateDirectoryA(blocked.c_str(), nullptr);
        ASSERT_TRUE(CreateDirectoryA((blocked + "\\" + name + ".scr").c_str(), nullptr));
        TProcess process(setup, AsAdmin(Account()) + " /S /LOG=\"" + failLog + "\" /D=" + blocked);
        bool formSeen = false;
        EXPECT_EQ(RunSilently(process, formSeen), 3);
        EXPECT_FALSE(formSeen);
        const Bytes bytes = ReadBytes(failLog);
        const std::string log(bytes.begin(), bytes.end());
        EXPECT_NE(log.find("failed: " + AnsiToUtf8(blocked) + "\\" + name + ".scr could not be written"), std::string::npos)
            << log;
        EXPECT_EQ(log.substr(log.size() - std::min<size_t>(log.size(), 13)), "exit code 3\r\n");
        EXPECT_EQ(DirectoryNames(blocked), std::vector<std::string>{name + ".scr"});
        RemoveDirectoryA((blocked + "\\" + name + ".scr").c_str());
    }
}

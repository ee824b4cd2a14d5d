#include "TestSupport.h"
#include "container/uExeAdder.h"
#include "startup/uDuplicate.h"
#include "startup/uInternationalUtils.h"
#include "startup/uMessageDialog.h"
#include "startup/uStartup.h"
#include "startup/uInstallerData.h"
#include "container/uInstallerContract.h"
#include "win32/uModule.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <thread>
#include <vector>

using namespace testing_support;

namespace {

// Plays the system for the entry's decision and records what the entry did.
class TFakeEnvironment : public TStartupEnvironment {
public:
    unsigned Major = 6;
    std::string First;
    bool Japanese = false, CheckAdmin = true, Admin = false, AccountOk = true, RunOk = true;
    std::string Account = "John Smith";
    std::vector<std::string> Boxes;
    std::string RunExe, RunParams;
    int CheckAdminAsked = 0, AdminAsked = 0, RunCalls = 0;

    unsigned WindowsMajorVersion() override { return Major; }
    std::string FirstArgument() override { return First; }
    std::string Tail;  // what follows the program name, when not just the first argument
    std::string CommandLine() override { return "\"" + ExePath() + "\" " + (Tail.empty() ? First : Tail); }
    std::string ExePath() override { return "C:\\Users\\John Smith\\Downloads\\setup.exe"; }
    bool IsJapanese() override { return Japanese; }
    bool ReadCheckAdmin() override { ++CheckAdminAsked; return CheckAdmin; }
    bool IsAdministrator() override { ++AdminAsked; return Admin; }
    bool GetCurrentUserAccount(std::string& domain, std::string& accountName) override {
        domain = AccountOk ? "HOST" : "";
        accountName = AccountOk ? Account : "";
        return AccountOk;
    }
    bool RunAsAdmin(const std::string& exe, const std::string& params) override {
        ++RunCalls;
        RunExe = exe;
        RunParams = params;
        return RunOk;
    }
    void ErrorBox(const std::string& text) override { Boxes.push_back(text); }
    bool Silent = false;
    DWORD ElevatedCode = 0;
    int WaitCalls = 0;
    bool ReadSilent() override { return Silent; }
    bool RunAsAdminAndWait(const std::string& exe, const std::string& params, DWORD& code) override {
        ++WaitCalls;
        RunExe = exe;
        RunParams = params;
        code = ElevatedCode;
        return RunOk;
    }
};

TStartupOutcome DecideStartup(TStartupEnvironment& env) {
    DWORD code;
    return DecideStartup(env, code);
}

const std::string English = "Please start by the user who has the Administrator authority.";

}  // namespace

TEST(StartupDecision, NoArgumentOnSixRelaunchesAndNeverShowsTheWizard) {
    for (bool admin : {false, true})
        for (bool checkAdmin : {false, true}) {
            TFakeEnvironment env;
            env.Admin = admin;
            env.CheckAdmin = checkAdmin;
            EXPECT_EQ(DecideStartup(env), TStartupOutcome::Relaunched);
            EXPECT_EQ(env.RunCalls, 1);
            EXPECT_EQ(env.RunExe, env.ExePath());
            EXPECT_EQ(env.RunParams, "/AsAdmin \"John Smith\"");
            EXPECT_TRUE(env.Boxes.empty());
            EXPECT_EQ(env.CheckAdminAsked + env.AdminAsked, 0);
        }
    TFakeEnvironment later;
    later.Major = 10;
    EXPECT_EQ(DecideStartup(later), TStartupOutcome::Relaunched);
}

TEST(StartupDecision, SilentInstallationWaitsForTheElevatedInstanceAndPassesItsCode) {
    TFakeEnvironment env;
    env.Silent = true;
    env.ElevatedCode = 3;
    DWORD code = 99;
    EXPECT_EQ(DecideStartup(env, code), TStartupOutcome::Relaunched);
    EXPECT_EQ(code, 3u);
    EXPECT_EQ(env.WaitCalls, 1);
    EXPECT_EQ(env.RunCalls, 0);
    EXPECT_EQ(env.RunParams, "/AsAdmin \"John Smith\"");

    TFakeEnvironment wizard;  // with the wizard the first instance ends at once
    EXPECT_EQ(DecideStartup(wizard, code), TStartupOutcome::Relaunched);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(wizard.WaitCalls, 0);
    EXPECT_EQ(wizard.RunCalls, 1);

    TFakeEnvironment declined;
    declined.Silent = true;
    declined.RunOk = false;
    EXPECT_EQ(DecideStartup(declined, code), TStartupOutcome::RelaunchFailed);
    EXPECT_EQ(declined.Boxes, std::vector<std::string>{English});
}

// The switches deployment tools pass relaunch as no argument does, are passed on unchanged, and
// /S makes the first instance wait and show no box; any other first argument still skips it.
TEST(StartupDecision, InstallerSwitchesRelaunchAndArePassedOn) {
    TFakeEnvironment env;
    env.First = "/S";
    env.Tail = "/S /D=C:\\Program Files\\My Savers";
    env.ElevatedCode = 5;
    DWORD code = 0;
    EXPECT_EQ(DecideStartup(env, code), TStartupOutcome::Relaunched);
    EXPECT_EQ(env.WaitCalls, 1);
    EXPECT_EQ(code, 5u);
    EXPECT_EQ(env.RunParams, "/AsAdmin \"John Smith\" /S /D=C:\\Program Files\\My Savers");

    TFakeEnvironment directory;  // the wizard with a directory: relaunched, not waited for
    directory.First = "/d=C:\\Savers";
    EXPECT_EQ(DecideStartup(directory, code), TStartupOutcome::Relaunched);
    EXPECT_EQ(directory.RunCalls, 1);
    EXPECT_EQ(directory.RunParams, "/AsAdmin \"John Smith\" /d=C:\\Savers");

    TFakeEnvironment declined;
    declined.First = "/S";
    declined.RunOk = false;
    EXPECT_EQ(DecideStartup(declined, code), TStartupOutcome::RelaunchFailed);
    EXPECT_TRUE(declined.Boxes.empty()) << "silent: no box";

    TFakeEnvironment refused;  // the elevated instance without the rights, silently
    refused.First = "/AsAdmin";
    refused.Tail = "/AsAdmin \"John Smith\" /S";
    EXPECT_EQ(DecideStartup(refused, code), TStartupOutcome::Refused);
    EXPECT_TRUE(refused.Boxes.empty());

    TFakeEnvironment other;
    other.First = "/other";
    EXPECT_EQ(DecideStartup(other, code), TStartupOutcome::Refused);
    EXPECT_EQ(other.RunCalls + other.WaitCalls, 0);
}

TEST(StartupDecision, RelaunchFailuresShowTheMessage) {
    TFakeEnvironment noAccount;
    noAccount.AccountOk = false;
    EXPECT_EQ(DecideStartup(noAccount), TStartupOutcome::RelaunchFailed);
    EXPECT_EQ(noAccount.RunCalls, 0);
    EXPECT_EQ(noAccount.Boxes, std::vector<std::string>{English});

    TFakeEnvironment declined;  // the user said no to the elevation prompt
    declined.RunOk = false;
    declined.Japanese = true;
    EXPECT_EQ(DecideStartup(declined), TStartupOutcome::RelaunchFailed);
    EXPECT_EQ(declined.Boxes, std::vector<std::string>{AdminRequiredMessage(true)});
}

TEST(StartupDecision, TableRowsWithAnArgumentOrBeforeSix) {
    struct Row { unsigned major; const char* first; bool checkAdmin; bool admin; TStartupOutcome outcome; };
    const Row rows[] = {
        {6, "/AsAdmin", false, false, TStartupOutcome::Wizard},
        {6, "/AsAdmin", true, true, TStartupOutcome::Wizard},
        {6, "/AsAdmin", true, false, TStartupOutcome::Refused},
        {6, "/anything", true, false, TStartupOutcome::Refused},
        {6, "/anything", false, false, TStartupOutcome::Wizard},
        {5, "", false, false, TStartupOutcome::Wizard},
        {5, "", true, true, TStartupOutcome::Wizard},
        {5, "", true, false, TStartupOutcome::Refused},
        {5, "/AsAdmin", true, false, TStartupOutcome::Refused},
        {4, "x", false, true, TStartupOutcome::Wizard},
    };
    for (const Row& r : rows) {
        TFakeEnvironment env;
        env.Major = r.major;
        env.First = r.first;
        env.CheckAdmin = r.checkAdmin;
        env.Admin = r.admin;
        SCOPED_TRACE(std::to_string(r.major) + " '" + r.first + "' " + std::to_string(r.checkAdmin) + std::to_string(r.admin));
        EXPECT_EQ(DecideStartup(env), r.outcome);
        EXPECT_EQ(env.RunCalls, 0);
        EXPECT_EQ(env.Boxes.size(), r.outcome == TStartupOutcome::Refused ? 1u : 0u);
        if (!env.Boxes.empty()) {
            EXPECT_EQ(env.Boxes[0], English);
        }
        // Membership is only asked when the block asks for the check.
        EXPECT_EQ(env.AdminAsked, r.checkAdmin ? 1 : 0);
    }
}

TEST(StartupDecision, JapaneseMessageInShiftJis) {
    std::string ja = AdminRequiredMessage(true);
    EXPECT_EQ(ja.substr(0, 4), "\x8A\xC7\x97\x9D");  // the first two characters
    EXPECT_NE(ja.find("\r\n"), std::string::npos);
    EXPECT_EQ(AdminRequiredMessage(false), English);
}

TEST(CommandLine, RelaunchParametersArriveAsTwoArguments) {
    for (std::string name : {"John Smith", "admin", "  two  blanks  ", "Ünïcødé Ñame"}) {
        std::string commandLine = "\"C:\\dir with blank\\setup.exe\" " + RelaunchParameters(name);
        EXPECT_EQ(ParamCount(commandLine), 2) << commandLine;
        EXPECT_EQ(ParamStr(commandLine, 0), "C:\\dir with blank\\setup.exe");
        EXPECT_EQ(ParamStr(commandLine, 1), "/AsAdmin");
        EXPECT_EQ(ParamStr(commandLine, 2), name);
        EXPECT_EQ(ParamStr(commandLine, 3), "");
    }
    EXPECT_EQ(RelaunchParameters("a\"b"), "/AsAdmin \"ab\"");
    EXPECT_EQ(ParamCount("setup.exe"), 0);
    EXPECT_EQ(ParamStr("setup.exe  ", 1), "");
}

// The program's own block as the start-up reads it: once, on the worker, the payload only when
// asked for. "InstallerCheckAdmin" is its first byte, or true when absent, empty or unreadable.
TEST(InstallerData, SettingsOfTheBlockOrTheDefaults) {
    TempDir dir;
    auto make = [&](const std::string& name, const char* data, int size) {
        std::string file = dir.File(name);
        WriteFile(file, ToBytes("MZ not really an image but it has a block"));
        TWriteHelper w;
        w.AddString(ItemName::Title, "t");
        if (data) w.AddItem(ItemName::CheckAdmin, data, false, size);
        w.SaveToExe(file, 0);
        return file;
    };
    auto checkAdmin = [](const std::string& file) { return TInstallerData(file).Settings().CheckAdmin; };
    EXPECT_FALSE(checkAdmin(make("off.exe", "\0", 1)));
    EXPECT_TRUE(checkAdmin(make("on.exe", "\1", 1)));
    EXPECT_TRUE(checkAdmin(make("other.exe", "\x7F\0", 2)));
    EXPECT_TRUE(checkAdmin(make("empty.exe", "", 0)));
    EXPECT_TRUE(checkAdmin(make("absent.exe", nullptr, 0)));
    std::string garbage = dir.File("garbage.exe");
    WriteFile(garbage, RandomBytes(300, 7));
    EXPECT_TRUE(checkAdmin(garbage));
    EXPECT_TRUE(checkAdmin(dir.File("missing.exe")));
    {
        TInstallerData data(make("title.exe", nullptr, 0));
        EXPECT_EQ(data.Settings().Title.value_or("none"), "t");
        data.Wait();  // no payload: nothing to install, and the check fails
        EXPECT_TRUE(data.Payload.Empty());
        EXPECT_FALSE(data.Check.Ok());
    }
}

namespace {
// What a box shown by MsgBox offers, read from its window, and what MsgBox returned when one
// of its buttons was pressed.
struct TShownBox {
    std::set<int> Buttons;  // the control identifiers of the buttons shown
    int DefaultButton = 0;
    HICON Icon = nullptr;
    std::string Caption;
    std::vector<std::string> Texts;
    int Result = -1;
};

BOOL CALLBACK FindDialog(HWND w, LPARAM found) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) != "#32770") return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

BOOL CALLBACK ReadChild(HWND w, LPARAM shown) {
    auto& box = *reinterpret_cast<TShownBox*>(shown);
    char cls[16] = {}, text[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    LONG style = GetWindowLongA(w, GWL_STYLE);
    if (!lstrcmpiA(cls, "Button") && (style & WS_VISIBLE)) {
        box.Buttons.insert(GetDlgCtrlID(w));
        if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) box.DefaultButton = GetDlgCtrlID(w);
    }
    if (!lstrcmpiA(cls, "Static")) {
        if (auto icon = reinterpret_cast<HICON>(SendMessageA(w, STM_GETICON, 0, 0))) box.Icon = icon;
        if (GetWindowTextA(w, text, sizeof text) > 0) box.Texts.push_back(text);
    }
    return TRUE;
}

struct TBoxRequest {
    TMsgDlgType Type;
    TMsgDlgButtons Buttons;
    UINT Extra;
    int Press;
};

// Shows each box on a thread of its own, one after the other, reads it once it is on the
// screen and presses its button. (Ten boxes created at once by ten threads corrupted Wine's
// heap now and then: "malloc(): unaligned tcache chunk detected".)
TShownBox ShowAndPress(const TBoxRequest& r) {
    std::atomic<DWORD> thread{0};
    std::atomic<int> result{-1};
    std::thread shower([&] {
        thread = GetCurrentThreadId();
        result = MsgBox("Install the screensaver?", r.Type, r.Buttons, r.Extra);
    });
    TShownBox box;
    HWND dialog = nullptr;
    for (int i = 0; i < 1000 && !(dialog && IsWindowVisible(dialog)); ++i) {
        if (!dialog && thread) EnumThreadWindows(thread, FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!(dialog && IsWindowVisible(dialog))) Sleep(10);
    }
    if (!dialog) {
        ADD_FAILURE() << "the box did not appear";
        shower.detach();
        return box;
    }
    EnumChildWindows(dialog, ReadChild, reinterpret_cast<LPARAM>(&box));
    char caption[256] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    box.Caption = caption;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(r.Press, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, r.Press)));
    shower.join();
    box.Result = result;
    return box;
}
}  // namespace

// The buttons, icon and default button a real box shows, and the modal result of the button
// pressed, for each button set the program asks for. (Wine does not make a box topmost, so
// MB_TOPMOST cannot be seen here.)
TEST(MessageDialog, ShownBoxAndTheResultOfTheButtonPressed) {
    struct TCase {
        TBoxRequest Request;
        std::set<int> Shown;
        int Default;
        LPCSTR Icon;
        int Result;
    };
    const auto b = MsgDlgButton;
    const TCase cases[] = {
        {{mtError, b(mbOK), 0, IDOK}, {IDOK}, IDOK, IDI_ERROR, mrOk},
        {{mtWarning, b(mbOK) | b(mbCancel), 0, IDCANCEL}, {IDOK, IDCANCEL}, IDOK, IDI_WARNING, mrCancel},
        {{mtInformation, b(mbRetry) | b(mbCancel), 0, IDRETRY}, {IDRETRY, IDCANCEL}, IDRETRY, IDI_INFORMATION, mrRetry},
        {{mtConfirmation, b(mbAbort) | b(mbRetry) | b(mbIgnore), 0, IDIGNORE}, {IDABORT, IDRETRY, IDIGNORE}, IDABORT,
         IDI_QUESTION, mrIgnore},
        {{mtConfirmation, b(mbAbort) | b(mbRetry) | b(mbIgnore), 0, IDABORT}, {IDABORT, IDRETRY, IDIGNORE}, IDABORT,
         IDI_QUESTION, mrAbort},
        // Yes and No win over OK; with Cancel it is yes/no/cancel. The extra style picks the default.
        {{mtCustom, b(mbYes) | b(mbNo) | b(mbOK), MB_DEFBUTTON2, IDNO}, {IDYES, IDNO}, IDNO, IDI_INFORMATION, mrNo},
        {{mtCustom, b(mbYes) | b(mbNo) | b(mbCancel) | b(mbOK), 0, IDYES}, {IDYES, IDNO, IDCANCEL}, IDYES,
         IDI_INFORMATION, mrYes},
        // Buttons without a box of their own give OK.
        {{mtError, b(mbHelp), 0, IDOK}, {IDOK}, IDOK, IDI_ERROR, mrOk},
        // The extra style joins in: Try Again counts as Retry, Continue as Ignore.
        {{mtWarning, b(mbOK), MB_CANCELTRYCONTINUE, IDTRYAGAIN}, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}, IDCANCEL,
         IDI_WARNING, mrRetry},
        {{mtWarning, b(mbOK), MB_CANCELTRYCONTINUE, IDCONTINUE}, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}, IDCANCEL,
         IDI_WARNING, mrIgnore},
    };
    for (const TCase& c : cases) {
        const TShownBox box = ShowAndPress(c.Request);
        SCOPED_TRACE("type " + std::to_string(c.Request.Type) + ", buttons " + std::to_string(c.Request.Buttons) +
                     ", press " + std::to_string(c.Request.Press));
        EXPECT_EQ(box.Buttons, c.Shown);
        EXPECT_EQ(box.DefaultButton, c.Default);
        EXPECT_EQ(box.Icon, LoadIconA(nullptr, c.Icon));
        EXPECT_EQ(box.Caption, "test_startup");  // the program's title
        EXPECT_NE(std::find(box.Texts.begin(), box.Texts.end(), "Install the screensaver?"), box.Texts.end());
        EXPECT_EQ(box.Result, c.Result);
    }
}

TEST(MessageDialog, TitleFromTheExecutableName) {
    EXPECT_EQ(TitleFromExeName("C:\\Some Dir\\MyINSTALLER.EXE"), "Myinstaller");
    EXPECT_EQ(TitleFromExeName("setup.v2.exe"), "setup.v2");
    EXPECT_EQ(TitleFromExeName("X"), "X");
    EXPECT_EQ(ApplicationTitle(), "test_startup");
}

TEST(Language, LoadLangStringTurnsBackslashNIntoCrLf) {
    EXPECT_EQ(LoadLangString(7), "Welcome to the Screensaver Installation Wizard\r\n");
    EXPECT_EQ(LoadLangString(8), "one\r\ntwo\r\n\r\nthree");
    EXPECT_EQ(LoadLangString(999), "");
    EXPECT_EQ(ExpandLineBreaks("a\\\\nb\\"), "a\\\r\nb\\");
}

TEST(Language, FollowsTheSystemLocale) {
    const char* expect = std::getenv("KESTRIN_EXPECT_LANG");
    if (!expect) GTEST_SKIP() << "run by the per-language test entries";
    bool japanese = std::string(expect) == "ja_JP";
    EXPECT_EQ(GetSystemDefaultLCID(), japanese ? 1041u : 1033u);
    EXPECT_EQ(IsJapanese(), japanese);
    // The start-up message follows it.
    TFakeEnvironment env;
    env.Japanese = IsJapanese();
    env.Major = 5;
    DecideStartup(env);
    ASSERT_EQ(env.Boxes.size(), 1u);
    EXPECT_EQ(env.Boxes[0], japanese ? AdminRequiredMessage(true) : English);
}

namespace {
// The probe program of these tests, holding a named mutex until told to let go.
class THolder {
public:
    explicit THolder(const std::string& mutexName) {
        std::string tag = std::to_string(GetCurrentProcessId());
        FReady = CreateEventA(nullptr, TRUE, FALSE, ("KestrinReady" + tag).c_str());
        FDone = CreateEventA(nullptr, TRUE, FALSE, ("KestrinDone" + tag).c_str());
        SetEnvironmentVariableA("KESTRIN_PROBE_MODE", "hold");
        SetEnvironmentVariableA("KESTRIN_PROBE_MUTEX", mutexName.c_str());
        SetEnvironmentVariableA("KESTRIN_PROBE_READY", ("KestrinReady" + tag).c_str());
        SetEnvironmentVariableA("KESTRIN_PROBE_DONE", ("KestrinDone" + tag).c_str());
        std::string exe = NativePath(EnvPath("KESTRIN_BIN_DIR") / "tests" / "startup" / "startup_probe.exe");
        std::string cmd = "\"" + exe + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        if (CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &FProcess))
            FStarted = WaitForSingleObject(FReady, 30000) == WAIT_OBJECT_0;
    }
    ~THolder() { Stop(); CloseHandle(FReady); CloseHandle(FDone); }
    bool Started() const { return FStarted; }
    void Stop() {
        if (!FProcess.hProcess) return;
        SetEvent(FDone);
        WaitForSingleObject(FProcess.hProcess, 30000);
        CloseHandle(FProcess.hProcess);
        CloseHandle(FProcess.hThread);
        FProcess = {};
    }
private:
    HANDLE FReady, FDone;
    PROCESS_INFORMATION FProcess = {};
    bool FStarted = false;
};
}  // namespace

TEST(Duplicate, FalseWhileAnotherProcessHoldsTheMutexAndNoHandleKept) {
    const std::string name = "KestrinTestGuid-" + std::to_string(GetCurrentProcessId());
    THolder holder(name);
    ASSERT_TRUE(holder.Started());
    EXPECT_FALSE(CheckDuplicate(name));
    ReleaseDuplicate();
    holder.Stop();
    // The holder is gone; had we kept a handle, the mutex would still exist.
    HANDLE left = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    EXPECT_EQ(left, nullptr);
    if (left) CloseHandle(left);
}

TEST(Duplicate, TrueWhenFreeAndReleasedAfterwards) {
    const std::string name = "KestrinTestFree-" + std::to_string(GetCurrentProcessId());
    EXPECT_TRUE(CheckDuplicate(name));
    HANDLE held = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    EXPECT_NE(held, nullptr);  // the mutex exists while it is kept
    if (held) CloseHandle(held);
    EXPECT_TRUE(CheckDuplicate(name));  // our own earlier handle does not count as a running saver
    ReleaseDuplicate();
    EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()), nullptr);
    ReleaseDuplicate();  // a second release is harmless
}

TEST(Duplicate, MutexExistsNeitherCreatesNorKeepsIt) {
    const std::string name = "KestrinTestExists-" + std::to_string(GetCurrentProcessId());
    EXPECT_FALSE(MutexExists(name));
    EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()), nullptr) << "the test made it";
    {
        THolder holder(name);
        ASSERT_TRUE(holder.Started());
        EXPECT_TRUE(MutexExists(name));
        EXPECT_TRUE(MutexExists(name));
    }
    EXPECT_FALSE(MutexExists(name)) << "a handle was kept";
}

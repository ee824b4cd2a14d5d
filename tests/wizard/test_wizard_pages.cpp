// The wizard's pages and the ways between them, driven from outside as a user would: every
// row of the navigation table, both skips, Back, the licence choice, the path choice and its
// folder dialog, and the texts of every page in the system's language. Pictures of the pages
// go to <build>/wizard-pages.
#include "WizardPages.h"
#include <gtest/gtest.h>
#include <filesystem>

using namespace wizard;
using testing_support::TempDir;

namespace {

void ExpectLicenceChoice(const TWizard& w, bool agree, bool disagree) {
    EXPECT_EQ(w.IsChecked(TControl::Agree), agree);
    EXPECT_EQ(w.IsChecked(TControl::Disagree), disagree);
    EXPECT_EQ(w.Enabled(TControl::Next), agree) << "Next follows the accept button";
}

void ExpectPathChoice(const TWizard& w, bool ticked) {
    EXPECT_EQ(w.IsChecked(TControl::ChangePath), ticked);
    EXPECT_EQ(w.Enabled(TControl::Path), ticked);
    EXPECT_EQ(w.Enabled(TControl::Browse), ticked);
}

// The folder dialog that Browse opens, answered with Cancel or, once its tree shows the start
// folder selected, OK (Wine shows the dialog before it selects that folder).
void AnswerFolderDialog(const TProcess& process, const TWizard& w, int button, const std::string& startFolderName,
                        const std::string& picture) {
    w.PostClick(TControl::Browse);
    HWND dialog = process.WaitForDialog();
    ASSERT_NE(dialog, nullptr) << "Browse opened no dialog";
    const std::vector<std::string> texts = DialogTexts(dialog);
    EXPECT_NE(std::find(texts.begin(), texts.end(), Texts().SelectDirectory), texts.end())
        << "the dialog asks for the installation directory";
    EXPECT_FALSE(IsWindowEnabled(w.Handle())) << "the wizard waits for the dialog";
    if (button == IDOK) {
        EXPECT_TRUE(WaitFor([&] { return Upper(SelectedFolder(dialog)) == Upper(startFolderName); }, 10000))
            << "selected: " << SelectedFolder(dialog);
    }
    if (!picture.empty()) Screenshot(dialog, picture);
    ASSERT_TRUE(PressDialogButton(dialog, button));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(w.Handle()) != FALSE; }));
}

}  // namespace

// Started without arguments, as a user starts it: the relaunch, then every page forward and
// back, the installation into a folder chosen in the folder dialog, and the finish actions.
TEST(WizardPages, FullWalkFromTheRelaunchToTheFinishActions) {
    const std::string setup = WalkInstaller();
    TempDir dir;
    const std::string target = WindowsPath(dir.File("My Savers"));
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    TUninstallEntry entry(WalkName);
    SetCurrentScreenSaver("C:\\previous.scr");
    ForgetCalls(setup);

    TProcess first(setup, "");
    ASSERT_TRUE(first.Started());
    TProcess relaunched = first.Child();
    EXPECT_EQ(first.Wait(), 0) << "the starting instance ends once it has relaunched itself";
    ASSERT_TRUE(relaunched.Started()) << "no relaunched instance";
    TWizard w(relaunched.WaitForForm());
    ASSERT_NE(w.Handle(), nullptr);
    EXPECT_EQ(w.Caption(), "Kestrin Walk Setup");
    if (Japanese()) {
        EXPECT_EQ(w.TextOf(TControl::Cancel), "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B") << "Shift-JIS";
    }

    ExpectWelcomePage(w, Texts().Welcome(WalkName));
    Screenshot(w.Handle(), Lang() + "-welcome");

    w.Click(TControl::Next);
    ExpectFreshLicencePage(w, WalkLicence());
    Screenshot(w.Handle(), Lang() + "-licence");
    // A real click on the disabled Next does nothing.
    w.Activate();
    POINT next = w.Centre(TControl::Next);
    ClickPoint(next.x, next.y);
    EXPECT_EQ(w.Page(), TPage::Licence);
    w.Click(TControl::Agree);
    ExpectLicenceChoice(w, true, false);
    w.Click(TControl::Disagree);
    ExpectLicenceChoice(w, false, true);
    w.Click(TControl::Agree);
    ExpectLicenceChoice(w, true, false);

    w.Click(TControl::Back);
    ExpectWelcomePage(w, Texts().Welcome(WalkName));
    w.Click(TControl::Next);
    ASSERT_EQ(w.Page(), TPage::Licence);
    ExpectButtons(w, true, Texts().Next, true, true);
    ExpectLicenceChoice(w, true, false);

    w.Click(TControl::Next);
    ExpectFreshOptionsPage(w, WindowsDirectory());
    Screenshot(w.Handle(), Lang() + "-options");
    w.Click(TControl::ChangePath);
    ExpectPathChoice(w, true);
    w.Click(TControl::ChangePath);
    ExpectPathChoice(w, false);
    w.Click(TControl::ChangePath);
    ExpectPathChoice(w, true);

    // Back twice and forward again: the choices stay as they were.
    w.Click(TControl::Back);
    ASSERT_EQ(w.Page(), TPage::Licence);
    ExpectLicenceChoice(w, true, false);
    w.Click(TControl::Back);
    ASSERT_EQ(w.Page(), TPage::Welcome);
    w.Click(TControl::Next);
    w.Click(TControl::Next);
    ASSERT_EQ(w.Page(), TPage::Options);
    ExpectButtons(w, true, Texts().Install, true, true);
    ExpectPathChoice(w, true);

    // The folder dialog opens on the typed path, here in its 8.3 form: cancelled, the path
    // stays as typed; confirmed, the path is the dialog's answer, the folder's long form.
    const std::string typed = ShortPath(target);
    ASSERT_NE(Upper(typed), Upper(target));
    w.SetText(TControl::Path, typed);
    AnswerFolderDialog(relaunched, w, IDCANCEL, "", "");
    EXPECT_EQ(w.TextOf(TControl::Path), typed);
    AnswerFolderDialog(relaunched, w, IDOK, "My Savers", Lang() + "-folder");
    const std::string chosen = w.TextOf(TControl::Path);
    EXPECT_EQ(Upper(chosen), Upper(target));

    w.PostClick(TControl::Next);
    ASSERT_TRUE(w.WaitForPage(TPage::Finish)) << w.Describe();
    ExpectFinishPage(w, true, true, false);
    Screenshot(w.Handle(), Lang() + "-finish");

    const TInstalled installed{chosen + "\\", WalkName, Guid("walk")};
    ExpectInstalledFiles(installed);
    ExpectUninstallEntry(entry, installed);
    EXPECT_EQ(CurrentScreenSaver(), ShortPath(installed.Scr())) << "the 8.3 form of the screensaver's path";
    EXPECT_EQ(CurrentScreenSaver().find(' '), std::string::npos);

    w.Click(TControl::Next);
    EXPECT_EQ(relaunched.Wait(), 0);
    ExpectFinishActions(setup, true, installed.Txt());
}

// Cancel (and Escape, its key) ends the program from each page that asks something, as does
// closing the window, and nothing is installed; Enter presses the default button, Next.
TEST(WizardPages, CancelOnEveryQuestionPageInstallsNothing) {
    const std::string setup = WalkInstaller();
    TUninstallEntry entry(WalkName);
    TWindowsDirectoryFiles files(WalkName);
    {
        TRun run(setup, AsAdmin(Account()));
        ASSERT_EQ(run.Wizard.Page(), TPage::Welcome);
        run.Wizard.Activate();
        PressKey(VK_ESCAPE);
        EXPECT_EQ(run.Process.Wait(), 1) << "Escape on the welcome page";
    }
    {
        TRun run(setup, AsAdmin(Account()));
        run.Wizard.Activate();
        PressKey(VK_RETURN);
        ASSERT_TRUE(run.Wizard.WaitForPage(TPage::Licence)) << run.Wizard.Describe();
        run.Wizard.Click(TControl::Cancel);
        EXPECT_EQ(run.Process.Wait(), 1) << "Cancel on the licence page";
    }
    {
        TRun run(setup, AsAdmin(Account()));
        run.Wizard.Click(TControl::Next);
        run.Wizard.Click(TControl::Agree);
        run.Wizard.Click(TControl::Next);
        ASSERT_EQ(run.Wizard.Page(), TPage::Options);
        run.Wizard.Click(TControl::Cancel);
        EXPECT_EQ(run.Process.Wait(), 1) << "Cancel on the options page";
    }
    {
        // The title bar's close button, here sent as its system command.
        TRun run(setup, AsAdmin(Account()));
        run.Wizard.Click(TControl::Next);
        ASSERT_EQ(run.Wizard.Page(), TPage::Licence);
        PostMessageA(run.Wizard.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(run.Process.Wait(), 1) << "closed on the licence page";
    }
    EXPECT_FALSE(entry.Exists());
    for (const char* end : {".scr", ".txt", "Uninst.exe"})
        EXPECT_FALSE(FileExists(WindowsDirectory() + WalkName + end)) << end;
}

// Without a licence Next leads from the welcome page to the options and Back returns. The
// default caption, the default directory (the Windows directory), the set-as-current box
// cleared, no readme (an older one of that name is left alone and not offered), and a finish
// with the settings box cleared that starts nothing.
TEST(WizardPages, WithoutLicenceIntoTheWindowsDirectory) {
    const std::string name = "KestrinPlain";
    const std::string setup = BuildInstaller({"plain", name, IconLine()});
    TUninstallEntry entry(name);
    TWindowsDirectoryFiles files(name);
    const std::string oldReadme = WindowsDirectory() + name + ".txt";
    testing_support::WriteFile(oldReadme, testing_support::ToBytes("an older readme"));
    SetCurrentScreenSaver("C:\\previous.scr");
    ForgetCalls(setup);

    TRun run(setup, AsAdmin(Account()));
    const TWizard& w = run.Wizard;
    EXPECT_EQ(w.Caption(), Texts().DefaultCaption);
    ExpectWelcomePage(w, Texts().Welcome(name));
    w.Click(TControl::Next);
    ExpectFreshOptionsPage(w, WindowsDirectory());
    w.Click(TControl::Back);
    ExpectWelcomePage(w, Texts().Welcome(name));
    w.Click(TControl::Next);
    ASSERT_EQ(w.Page(), TPage::Options);
    w.Click(TControl::SetCurrent);
    EXPECT_FALSE(w.IsChecked(TControl::SetCurrent));
    w.PostClick(TControl::Next);
    ASSERT_TRUE(w.WaitForPage(TPage::Finish)) << w.Describe();
    ExpectFinishPage(w, false, true, false);

    const TInstalled installed{WindowsDirectory(), name, Guid("plain"), false};
    ExpectInstalledFiles(installed);
    EXPECT_EQ(ReadBytes(oldReadme), testing_support::ToBytes("an older readme"));
    ExpectUninstallEntry(entry, installed);
    EXPECT_EQ(CurrentScreenSaver(), "C:\\previous.scr") << "the box was cleared";

    w.Click(TControl::OpenSettings);
    EXPECT_FALSE(w.IsChecked(TControl::OpenSettings));
    w.Click(TControl::Next);
    EXPECT_EQ(run.Process.Wait(), 0);
    ExpectFinishActions(setup, false, "");
}

// A fixed directory with the forced setting leaves nothing to ask on the options page: after
// the licence (or, without one, the welcome page) Next installs; its caption stays Next.
TEST(WizardPages, FixedDirectoryWithForcedSettingSkipsTheOptionsPage) {
    TempDir dir;
    const std::string fixed = WindowsPath(dir.File("fixed"));
    ASSERT_TRUE(CreateDirectoryA(fixed.c_str(), nullptr));
    const std::string common = "install_path = '" + fixed + "'\nforce_set = true\n" + IconLine() +
                               "readme = '" + PayloadFile("readme.txt") + "'\n";
    {
        SCOPED_TRACE("without a licence");
        const std::string name = "KestrinFixed";
        // The distributor's welcome texts: the system's language picks one.
        const std::string setup = BuildInstaller(
            {"fixed", name, common + "message_en = \"Welcome to %s, 100%% ours.\"\nmessage_ja = \"%sへようこそ\"\n"});
        TUninstallEntry entry(name);
        SetCurrentScreenSaver("C:\\previous.scr");
        ForgetCalls(setup);
        TRun run(setup, AsAdmin(Account()));
        const TWizard& w = run.Wizard;
        ExpectWelcomePage(w, Japanese() ? name + Utf8ToAnsi("へようこそ") : "Welcome to " + name + ", 100% ours.");
        w.PostClick(TControl::Next);
        ASSERT_TRUE(w.WaitForPage(TPage::Finish)) << w.Describe();
        ExpectFinishPage(w, true, true, false);
        const TInstalled installed{fixed + "\\", name, Guid("fixed")};
        ExpectInstalledFiles(installed);
        ExpectUninstallEntry(entry, installed);
        EXPECT_EQ(CurrentScreenSaver(), ShortPath(installed.Scr())) << "forced: made current without asking";
        w.Click(TControl::ShowReadme);
        w.Click(TControl::Next);
        EXPECT_EQ(run.Process.Wait(), 0);
        ExpectFinishActions(setup, true, "");
    }
    {
        SCOPED_TRACE("after the licence");
        const std::string name = "KestrinFixedLicence";
        const std::string setup = BuildInstaller({"fixedlicence", name, common + "eula = \"Short licence\"\n"});
        TUninstallEntry entry(name);
        TRun run(setup, AsAdmin(Account()));
        const TWizard& w = run.Wizard;
        w.Click(TControl::Next);
        ExpectFreshLicencePage(w, {"Short licence"});
        w.Click(TControl::Agree);
        ExpectButtons(w, true, Texts().Next, true, true);
        w.PostClick(TControl::Next);
        ASSERT_TRUE(w.WaitForPage(TPage::Finish)) << w.Describe();
        ExpectFinishPage(w, true, true, false);
        ExpectInstalledFiles({fixed + "\\", name, Guid("fixedlicence")});
        EXPECT_TRUE(entry.Exists());
        w.Click(TControl::Next);
        EXPECT_EQ(run.Process.Wait(), 0);
    }
}

// "InstallerPath" with an environment reference: created with its parents when the wizard
// starts, and the options page keeps only the set-as-current box, moved up. An undefined
// reference, or a directory that cannot be made, leaves the Windows directory and the choice.
TEST(WizardPages, InstallerPathWithReferences) {
    char temp[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("TEMP", temp, MAX_PATH), 0u);
    const std::string top = std::string(temp) + "\\kestrin-wizard-" + std::to_string(GetCurrentProcessId());
    const std::string expanded = top + "\\a b\\sub";
    struct TRemove {
        std::string Dir;
        ~TRemove() { std::error_code ec; std::filesystem::remove_all(Dir, ec); }
    } remove{top};
    ASSERT_EQ(GetFileAttributesA(top.c_str()), INVALID_FILE_ATTRIBUTES);
    {
        SCOPED_TRACE("expanding reference");
        const std::string name = "KestrinExpanded";
        const std::string setup = BuildInstaller(
            {"expanded", name, "install_path = '%TEMP%\\kestrin-wizard-" + std::to_string(GetCurrentProcessId()) +
                                   "\\a b\\sub'\n"});
        TUninstallEntry entry(name);
        TRun run(setup, AsAdmin(Account()));
        const TWizard& w = run.Wizard;
        const DWORD attributes = GetFileAttributesA(expanded.c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            << expanded << " made at start";
        w.Click(TControl::Next);
        ASSERT_EQ(w.Page(), TPage::Options) << w.Describe();
        ExpectButtons(w, true, Texts().Install, true, true);
        for (TControl hidden : {TControl::Path, TControl::Browse, TControl::PathCaution, TControl::SetCurrent})
            EXPECT_FALSE(w.Shown(hidden)) << w.Describe();
        EXPECT_EQ(w.TextOf(TControl::SetCurrentMovedUp), Texts().SetCurrent) << "moved up into the path box's place";
        EXPECT_TRUE(w.IsChecked(TControl::SetCurrentMovedUp));
        Screenshot(w.Handle(), Lang() + "-options-fixed");
        w.PostClick(TControl::Next);
        ASSERT_TRUE(w.WaitForPage(TPage::Finish)) << w.Describe();
        ExpectInstalledFiles({expanded + "\\", name, Guid("expanded"), false, false});
        EXPECT_EQ(entry.Text("InstallLocation"), expanded + "\\");
        w.Click(TControl::Next);
        EXPECT_EQ(run.Process.Wait(), 0);
    }
    for (const char* path : {"%KESTRIN_WIZARD_UNDEFINED%\\sub", "unusable"}) {
        SCOPED_TRACE(path);
        const bool undefined = path[0] == '%';
        // A directory below a file can be neither found nor made.
        const std::string value = undefined ? path : PayloadFile("saver.scr") + "\\sub";
        const std::string setup = BuildInstaller({undefined ? "undefined" : "unusable", "KestrinUnusable",
                                                  "install_path = '" + value + "'\n"});
        TRun run(setup, AsAdmin(Account()));
        run.Wizard.Click(TControl::Next);
        ExpectFreshOptionsPage(run.Wizard, WindowsDirectory());
        run.Wizard.Click(TControl::Cancel);
        EXPECT_EQ(run.Process.Wait(), 1);
    }
}

// Relaunched for another account than the one it runs as: the finish page offers no display
// settings and tells to set the screensaver by hand, once; the user's setting is untouched.
TEST(WizardPages, AnotherAccountGetsTheManualNoteAndNoDisplaySettings) {
    const std::string setup = WalkInstaller();
    TempDir dir;
    TUninstallEntry entry(WalkName);
    SetCurrentScreenSaver("C:\\previous.scr");
    ForgetCalls(setup);
    TRun run(setup, AsAdmin("someone else"));
    const TWizard& w = run.Wizard;
    w.Click(TControl::Next);
    w.Click(TControl::Agree);
    w.Click(TControl::Next);
    w.Click(TControl::ChangePath);
    w.SetText(TControl::Path, dir.File(""));
    w.PostClick(TControl::Next);
    ASSERT_TRUE(w.WaitForPage(TPage::Finish)) << w.Describe();
    ExpectFinishPage(w, true, false, true);
    Screenshot(w.Handle(), Lang() + "-finish-other-account");
    EXPECT_EQ(CurrentScreenSaver(), "C:\\previous.scr");
    const TInstalled installed{WindowsPath(dir.File("")), WalkName, Guid("walk")};
    ExpectInstalledFiles(installed);
    w.Click(TControl::Next);
    EXPECT_EQ(run.Process.Wait(), 0);
    ExpectFinishActions(setup, false, installed.Txt());
}

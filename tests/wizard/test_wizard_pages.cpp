// The wizard's pages and the ways between them, driven from outside as a user would: every
// row of the navigation table, both skips, Back, the licence choice, the path choice and its
// folder dialog, and the texts of every page in the system's language. Pictures of the pages
// go to <build>/wizard-pages.
#include "WizardPages.h"
#include <gtest/gtest.h>

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

    // The folder dialog: cancelled, the path stays; confirmed on the folder it opened on (the
    // path's), the path is that folder.
    w.SetText(TControl::Path, target);
    AnswerFolderDialog(relaunched, w, IDCANCEL, "", Lang() + "-folder");
    EXPECT_EQ(w.TextOf(TControl::Path), target);
    AnswerFolderDialog(relaunched, w, IDOK, "My Savers", "");
    const std::string chosen = w.TextOf(TControl::Path);
    EXPECT_EQ(Upper(ShortPath(chosen)), Upper(ShortPath(target))) << chosen;

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

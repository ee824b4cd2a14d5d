// The demo's installer, page by page in the system's language: each page checked, then its
// picture taken (tour/<lang>-<page>.bmp with its window texts beside it), the installation
// made through the wizard, and then undone with the installed uninstaller's silent switch.
// The demo runs this tour with KESTRIN_TOUR_KEEP set, and shows what the installation left.
#include "WizardPages.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <windows.h>

using namespace wizard;

namespace {

const char DemoName[] = "AuroraDemo";
const char DemoGuid[] = "{6E1C2B7A-3D4F-4A58-9B21-7C0D5E8F9A13}";

std::string Shot(const std::string& page) { return "tour/" + Lang() + "-" + page; }

// The wizard on the failure page: its picture, then quit.
void ShootFailure(TRun& run, const std::string& page) {
    ASSERT_TRUE(run.Wizard.WaitForPage(TPage::Failure)) << run.Wizard.Describe();
    EXPECT_FALSE(run.Wizard.LinesOf(TControl::FailureText).empty());
    Screenshot(run.Wizard, Shot(page));
    run.Wizard.Click(TControl::Next);
    EXPECT_GE(run.Process.Wait(), 2) << "a failure's exit code";
}

}  // namespace

TEST(WizardTour, EveryPageOfTheDemoInstaller) {
    ForgetScreenshots(Shot(""));  // a picture from an earlier run must not pass for one of this run
    // The demo hands over the installer it packed and signed; the tests pack their own.
    const char* given = std::getenv("KESTRIN_TOUR_INSTALLER");
    const std::string setup = given ? WindowsPath(given) : BuildDemoInstaller("tour");
    const TInstalled installed{WindowsDirectory(), DemoName, DemoGuid};
    for (const std::string& file : {installed.Scr(), installed.Txt(), installed.Uninstaller()})
        ASSERT_FALSE(FileExists(file)) << file << " is left from an earlier run";

    {
        SCOPED_TRACE("invalid data");
        TRun run(BuildDemoInstaller("tour-damaged", "mxf = \"0000\"\n"), AsAdmin(Account()));
        ShootFailure(run, "failure-invalid-data");
    }
    {
        SCOPED_TRACE("no player control");
        TPlayerControl none(TPlayerControl::None);
        TRun run(setup, AsAdmin(Account()));
        ASSERT_TRUE(run.Wizard.WaitForPage(TPage::Failure));
        EXPECT_TRUE(run.Wizard.Shown(TControl::GetPlayer));
        ShootFailure(run, "failure-player");
    }
    {
        SCOPED_TRACE("screensaver running");
        HANDLE running = CreateMutexA(nullptr, TRUE, DemoGuid);
        ASSERT_NE(running, nullptr);
        TRun run(setup, AsAdmin(Account()));
        ShootFailure(run, "failure-running");
        ReleaseMutex(running);
        CloseHandle(running);
    }
    {
        SCOPED_TRACE("missing directory");
        TRun run(setup, AsAdmin(Account()));
        const TWizard& w = run.Wizard;
        w.Click(TControl::Next);
        w.Click(TControl::Agree);
        w.Click(TControl::Next);
        ASSERT_EQ(w.Page(), TPage::Options);
        w.Click(TControl::ChangePath);
        w.SetText(TControl::Path, "C:\\Screensavers\\Aurora");
        w.PostClick(TControl::Next);
        ShootFailure(run, "failure-directory");
    }

    SetCurrentScreenSaver("");
    ASSERT_FALSE(UninstallEntryExists(DemoName)) << "an Uninstall entry is left from an earlier run";
    {
        SCOPED_TRACE("installation");
        TRun run(setup, AsAdmin(Account()));
        const TWizard& w = run.Wizard;
        ASSERT_EQ(w.Page(), TPage::Welcome) << w.Describe();
        EXPECT_NE(AnsiToUtf8(w.TextOf(TControl::WelcomeText)).find(DemoName), std::string::npos);
        Screenshot(w, Shot("welcome"));
        w.Click(TControl::Next);
        ASSERT_EQ(w.Page(), TPage::Licence);
        w.Click(TControl::Agree);
        Screenshot(w, Shot("licence"));
        w.Click(TControl::Next);
        ASSERT_EQ(w.Page(), TPage::Options);
        Screenshot(w, Shot("options"));
        w.PostClick(TControl::Next);
        ASSERT_TRUE(w.WaitForPage(TPage::Finish)) << w.Describe();
        Screenshot(w, Shot("finish"));
        // The readme and the display settings are not opened on the way.
        w.Click(TControl::ShowReadme);
        w.Click(TControl::OpenSettings);
        w.Click(TControl::Next);
        EXPECT_EQ(run.Process.Wait(), 0);
    }
    for (const std::string& file : {installed.Scr(), installed.Txt(), installed.Uninstaller()})
        EXPECT_TRUE(FileExists(file)) << file;
    EXPECT_TRUE(UninstallEntryExists(DemoName));
    EXPECT_EQ(Upper(CurrentScreenSaver()), Upper(ShortPath(installed.Scr())));
    if (std::getenv("KESTRIN_TOUR_KEEP")) {
        KeepCurrentScreenSaver();
        return;
    }

    SCOPED_TRACE("silent removal");
    TProcess uninstaller(installed.Uninstaller(), "/S");
    EXPECT_EQ(uninstaller.Wait(), 0);
    // The uninstaller's own file goes once its last process has ended.
    EXPECT_TRUE(WaitFor([&] { return !FileExists(installed.Uninstaller()); }));
    EXPECT_FALSE(FileExists(installed.Scr()));
    EXPECT_FALSE(FileExists(installed.Txt()));
    EXPECT_FALSE(UninstallEntryExists(DemoName));
    EXPECT_EQ(CurrentScreenSaver(), "");
}

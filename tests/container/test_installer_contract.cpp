// The settings the installer takes from its block's items, and the Uninstall values it writes.
#include "TestSupport.h"
#include "container/uInstallerContract.h"
#include "container/uInstallerSettings.h"
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
TItemType Item(const std::string& name, const std::string& value) {
    TItemType item;
    item.Name = name;
    item.Data = TBuffer(value.data(), value.size());
    return item;
}
std::string FileText(const std::string& path) {
    const Bytes b = ReadFile(path);
    return std::string(b.begin(), b.end());
}
}  // namespace

TEST(InstallerSettings, DefaultsLaterItemsAndWhatCountsAsAbsent) {
    const TInstallerSettings none = ReadInstallerSettings({});
    EXPECT_TRUE(none.CheckAdmin && none.VerCheck && none.TopImageVisible);
    EXPECT_FALSE(none.Silent || none.ForceSet || none.Title);
    EXPECT_EQ(none.DigestLength, 0u);

    const std::string icon = FileText(SourceFile("demo/files/icon.ico"));
    ASSERT_FALSE(icon.empty());
    TItemTypes items;
    for (auto [name, value] : std::initializer_list<std::pair<const char*, std::string>>{
             {ItemName::ScrName, "First"}, {ItemName::ScrName, "Aurora"},   // the later wins
             {ItemName::Readme, "one "}, {ItemName::Readme, "two"},         // joined
             {ItemName::Silent, std::string(1, '\1')}, {ItemName::Silent, ""},  // too short: absent
             {ItemName::CheckAdmin, std::string(1, '\0')}, {ItemName::VerCheck, std::string("\0\1", 2)},
             {ItemName::DigestLength, "\x10\x00\x00"}, {ItemName::DigestLength, std::string("\x10\x00\x00\x01", 4)},
             {ItemName::Title, ""}, {ItemName::UninstallerIcon, icon}, {ItemName::LeftImage, "BM-not-checked"},
             {ItemName::LeftImage, ""}, {"Unknown", "ignored"}})
        items.push_back(Item(name, value));
    TInstallerSettings s = ReadInstallerSettings(items);
    EXPECT_EQ(s.ScrName, "Aurora");
    EXPECT_EQ(s.Readme, "one two");
    EXPECT_TRUE(s.Silent);
    EXPECT_FALSE(s.CheckAdmin);
    EXPECT_FALSE(s.VerCheck);
    EXPECT_EQ(s.DigestLength, 0x01000010u);
    ASSERT_TRUE(s.Title);  // present but empty: an empty caption, not the form's
    EXPECT_EQ(*s.Title, "");
    EXPECT_EQ(s.UninstallerIcon, icon);
    EXPECT_EQ(s.LeftImage, "BM-not-checked") << "an empty picture leaves the one before";

    // An icon the installer cannot use leaves the uninstaller's own, whatever came before.
    items.push_back(Item(ItemName::UninstallerIcon, icon.substr(0, 10)));
    EXPECT_EQ(ReadInstallerSettings(items).UninstallerIcon, "");
}

TEST(InstallerContract, FilesKeyAndUninstallTexts) {
    EXPECT_EQ(UninstallerFileName("Aurora"), "AuroraUninst.exe");
    EXPECT_EQ(UninstallKeyPath("Aurora"), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Aurora");
    const TUninstallTexts plain = UninstallTextsFor("C:\\Windows\\AuroraUninst.exe", "Aurora Screensaver");
    EXPECT_EQ(plain.UninstallString, "C:\\Windows\\AuroraUninst.exe");
    EXPECT_EQ(plain.QuietUninstallString, "\"C:\\Windows\\AuroraUninst.exe\" /S");
    EXPECT_EQ(plain.DisplayIcon, "C:\\Windows\\AuroraUninst.exe,0");
    EXPECT_EQ(plain.InstallLocation, "C:\\Windows\\");
    const TUninstallTexts blanks = UninstallTextsFor("C:\\My Savers\\A BUninst.exe", "A B");
    EXPECT_EQ(blanks.UninstallString, "\"C:\\My Savers\\A BUninst.exe\"") << "unquoted, C:\\My.exe would run";
    EXPECT_EQ(KiloBytes(0), 0u);
    EXPECT_EQ(KiloBytes(1), 1u);
    EXPECT_EQ(KiloBytes(2048), 2u);
}

TEST(InstallerContract, WelcomePatternFormatsItsOneString) {
    std::string out = "unchanged";
    EXPECT_TRUE(FormatSinglePattern("100%% %s!", "Aurora", out));
    EXPECT_EQ(out, "100% Aurora!");
    out = "unchanged";
    for (const char* bad : {"%s %s", "%d", "none", "50%"}) EXPECT_FALSE(FormatSinglePattern(bad, "x", out)) << bad;
    EXPECT_EQ(out, "unchanged");
}

// The tool describes the entry the English installer writes: its suffix is the installer's own.
TEST(InstallerContract, EntryTextsTheToolSharesWithTheInstaller) {
    const std::string rc = FileText(SourceFile("src/wizard/Installer.rc"));
    const size_t at = rc.find("SID_EN_DISPLAY_SUFFIX \"");
    ASSERT_NE(at, std::string::npos);
    const size_t open = rc.find('"', at) + 1;
    EXPECT_EQ(rc.substr(open, rc.find('"', open) - open), EnglishDisplayNameSuffix);
    EXPECT_EQ(InstallDateText(2026, 12, 9), "20261209");
    TItemTypes items;
    items.push_back(Item(ItemName::Publisher, "Kestrin Samples"));
    items.push_back(Item(ItemName::Version, "1.2.0"));
    const TInstallerSettings s = ReadInstallerSettings(items);
    EXPECT_EQ(s.Publisher, "Kestrin Samples");
    EXPECT_EQ(s.Version, "1.2.0");
    EXPECT_EQ(s.Url, "") << "absent: the installer writes no URLInfoAbout";
}

TEST(InstallerContract, SwitchesAsDeploymentToolsPassThem) {
    TInstallerSwitches s = ParseInstallerSwitches("  /s /log=\"C:\\My Logs\\a.log\" /x /D=C:\\Program Files\\My Savers  ");
    EXPECT_TRUE(s.Silent);
    EXPECT_EQ(s.LogFile, "C:\\My Logs\\a.log");
    ASSERT_TRUE(s.HasDirectory);
    EXPECT_EQ(s.Directory, "C:\\Program Files\\My Savers") << "the rest of the line, blanks and all";
    EXPECT_EQ(s.Ignored, std::vector<std::string>{"/x"});
    EXPECT_EQ(s.Text, "/s /log=\"C:\\My Logs\\a.log\" /x /D=C:\\Program Files\\My Savers") << "passed on unchanged";
    // The directory switch is the last: what looks like a switch behind it is part of the path.
    s = ParseInstallerSwitches("/D=C:\\a /S");
    EXPECT_FALSE(s.Silent);
    EXPECT_EQ(s.Directory, "C:\\a /S");
    s = ParseInstallerSwitches("/SILENT /LOG= /D=");
    EXPECT_FALSE(s.Silent);
    EXPECT_EQ(s.LogFile, "");
    EXPECT_EQ(s.Ignored, (std::vector<std::string>{"/SILENT", "/LOG="}));
    EXPECT_TRUE(s.HasDirectory);
    EXPECT_EQ(s.Directory, "");
    EXPECT_FALSE(ParseInstallerSwitches("").Silent);
}

TEST(InstallerContract, SwitchesBehindTheProgramOrTheElevatedInstancesName) {
    bool elevated = true;
    TInstallerSwitches s = SwitchesOfCommandLine("\"C:\\Down loads\\setup.exe\" /S /D=C:\\My Savers", &elevated);
    EXPECT_FALSE(elevated);
    EXPECT_TRUE(s.Silent);
    EXPECT_EQ(s.Directory, "C:\\My Savers");
    s = SwitchesOfCommandLine("setup.exe /AsAdmin \"John Smith\" /S /D=C:\\My Savers", &elevated);
    EXPECT_TRUE(elevated);
    EXPECT_TRUE(s.Silent);
    EXPECT_EQ(s.Text, "/S /D=C:\\My Savers");
    EXPECT_TRUE(s.Ignored.empty());
    s = SwitchesOfCommandLine("setup.exe /asadmin x", &elevated);
    EXPECT_FALSE(elevated) << "the elevated instance's mark is exact";
    EXPECT_EQ(s.Ignored, (std::vector<std::string>{"/asadmin", "x"}));
}

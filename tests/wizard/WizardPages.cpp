#include "WizardPages.h"
#include "container/uExeAdder.h"
#include <gtest/gtest.h>

namespace wizard {

namespace {
const char DisplaySettingsCommand[] = "rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1";

uint32_t Le32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

DWORD KiloBytes(const std::string& file) { return static_cast<DWORD>((ReadBytes(file).size() + 1023) / 1024); }

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && Upper(text.substr(text.size() - end.size())) == Upper(end);
}

// The images of an icon file, in its order.
std::vector<Bytes> IconFileImages(const Bytes& ico) {
    std::vector<Bytes> images;
    if (ico.size() < 6) return images;
    const unsigned count = ico[4] | ico[5] << 8;
    for (unsigned i = 0; i < count && 6 + 16 * (i + 1) <= ico.size(); ++i) {
        const size_t entry = 6 + 16 * i, size = Le32(ico, entry + 8), offset = Le32(ico, entry + 12);
        if (offset + size <= ico.size()) images.emplace_back(ico.begin() + offset, ico.begin() + offset + size);
    }
    return images;
}

// The images of an executable's icon group, read by the system's resource functions.
std::vector<Bytes> IconGroupImages(const std::string& exe, const char* group) {
    std::vector<Bytes> images;
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return images;
    auto resource = [&](LPCSTR name, LPCSTR type) {
        Bytes data;
        if (HRSRC r = FindResourceA(module, name, type))
            if (HGLOBAL g = LoadResource(module, r)) {
                auto* p = static_cast<const uint8_t*>(LockResource(g));
                data.assign(p, p + SizeofResource(module, r));
            }
        return data;
    };
    const Bytes dir = resource(group, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    if (dir.size() >= 6) {
        const unsigned count = dir[4] | dir[5] << 8;
        for (unsigned i = 0; i < count && 6 + 14 * (i + 1) <= dir.size(); ++i) {
            const unsigned id = dir[6 + 14 * i + 12] | dir[6 + 14 * i + 13] << 8;
            images.push_back(resource(MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3)));  // RT_ICON
        }
    }
    FreeLibrary(module);
    return images;
}
}  // namespace

std::string AsAdmin(const std::string& account) { return "/AsAdmin \"" + account + "\""; }

TRun::TRun(const std::string& setup, const std::string& arguments)
    : Process(setup, arguments), Wizard(Process.WaitForForm()) {
    EXPECT_TRUE(Process.Started()) << setup;
    EXPECT_NE(Wizard.Handle(), nullptr) << "no wizard window from " << setup << " " << arguments << " ("
                                        << (Process.Running() ? std::string("still running")
                                                              : "ended with " + std::to_string(Process.Wait(0)))
                                        << ")";
}

void ExpectButtons(const TWizard& w, bool back, const std::string& next, bool nextEnabled, bool cancel) {
    EXPECT_EQ(w.Enabled(TControl::Back), back) << "Back";
    EXPECT_EQ(w.TextOf(TControl::Back), Texts().Back);
    EXPECT_EQ(w.TextOf(TControl::Next), next);
    EXPECT_EQ(w.Enabled(TControl::Next), nextEnabled) << "Next";
    EXPECT_EQ(w.Enabled(TControl::Cancel), cancel) << "Cancel";
    EXPECT_EQ(w.TextOf(TControl::Cancel), Texts().Cancel);
}

void ExpectWelcomePage(const TWizard& w, const std::string& welcomeText) {
    SCOPED_TRACE("welcome page");
    ASSERT_EQ(w.Page(), TPage::Welcome) << w.Describe();
    ExpectButtons(w, false, Texts().Next, true, true);
    EXPECT_EQ(w.LinesOf(TControl::WelcomeTitle), Texts().WelcomeTitle);
    EXPECT_EQ(w.LinesOf(TControl::WelcomeText), std::vector<std::string>{welcomeText});
    EXPECT_EQ(w.LinesOf(TControl::WelcomeHint), Texts().WelcomeHint);
}

void ExpectFreshLicencePage(const TWizard& w, const std::vector<std::string>& licence) {
    SCOPED_TRACE("licence page");
    ASSERT_EQ(w.Page(), TPage::Licence) << w.Describe();
    ExpectButtons(w, true, Texts().Next, false, true);
    EXPECT_EQ(w.LinesOf(TControl::LicenceExplain), Texts().LicenceExplain);
    EXPECT_EQ(w.LinesOf(TControl::LicenceText), licence);
    if (HWND memo = w.Get(TControl::LicenceText)) {
        EXPECT_TRUE(GetWindowLongA(memo, GWL_STYLE) & ES_READONLY) << "the licence can be read, not changed";
        EXPECT_TRUE(GetWindowLongA(memo, GWL_STYLE) & WS_VSCROLL);
    }
    EXPECT_EQ(w.TextOf(TControl::Agree), Texts().Agree);
    EXPECT_EQ(w.TextOf(TControl::Disagree), Texts().Disagree);
    EXPECT_FALSE(w.IsChecked(TControl::Agree));
    EXPECT_FALSE(w.IsChecked(TControl::Disagree));
}

void ExpectFreshOptionsPage(const TWizard& w, const std::string& directory) {
    SCOPED_TRACE("options page");
    ASSERT_EQ(w.Page(), TPage::Options) << w.Describe();
    ExpectButtons(w, true, Texts().Install, true, true);
    EXPECT_EQ(w.LinesOf(TControl::OptionsExplain), Texts().OptionsExplain);
    EXPECT_EQ(w.TextOf(TControl::ChangePath), Texts().ChangePath);
    EXPECT_FALSE(w.IsChecked(TControl::ChangePath));
    EXPECT_TRUE(w.Enabled(TControl::ChangePath));
    EXPECT_EQ(w.TextOf(TControl::Path), directory);
    EXPECT_FALSE(w.Enabled(TControl::Path));
    EXPECT_EQ(w.TextOf(TControl::Browse), Texts().Browse);
    EXPECT_FALSE(w.Enabled(TControl::Browse));
    EXPECT_EQ(w.LinesOf(TControl::PathCaution), Texts().PathCaution);
    EXPECT_EQ(w.TextOf(TControl::SetCurrent), Texts().SetCurrent);
    EXPECT_TRUE(w.IsChecked(TControl::SetCurrent));
    EXPECT_TRUE(w.Enabled(TControl::SetCurrent));
}

void ExpectFinishPage(const TWizard& w, bool readme, bool settings, bool manualNote) {
    SCOPED_TRACE("finish page");
    ASSERT_EQ(w.Page(), TPage::Finish) << w.Describe();
    ExpectButtons(w, false, Texts().Finish, true, false);
    std::vector<std::string> text = Texts().FinishText;
    if (manualNote) text.insert(text.end(), Texts().SetManually.begin(), Texts().SetManually.end());
    EXPECT_EQ(w.LinesOf(TControl::FinishText), text);
    EXPECT_EQ(w.Shown(TControl::ShowReadme), readme);
    if (readme) {
        EXPECT_EQ(w.TextOf(TControl::ShowReadme), Texts().ShowReadme);
        EXPECT_TRUE(w.IsChecked(TControl::ShowReadme));
    }
    EXPECT_EQ(w.Shown(TControl::OpenSettings), settings);
    if (settings) {
        EXPECT_EQ(w.TextOf(TControl::OpenSettings), Texts().OpenSettings);
        EXPECT_TRUE(w.IsChecked(TControl::OpenSettings));
    }
}

void ExpectFailurePage(const TWizard& w, const std::vector<std::string>& message, bool getPlayer) {
    SCOPED_TRACE("failure page");
    ASSERT_EQ(w.Page(), TPage::Failure) << w.Describe();
    ExpectButtons(w, false, Texts().Quit, true, false);
    EXPECT_EQ(w.LinesOf(TControl::FailureText), message);
    EXPECT_EQ(w.LinesOf(TControl::FailureHint), Texts().FailureHint);
    EXPECT_EQ(w.Shown(TControl::GetPlayer), getPlayer);
    if (getPlayer) {
        EXPECT_TRUE(w.Enabled(TControl::GetPlayer));
    }
}

void ExpectInstalledFiles(const TInstalled& installed) {
    SCOPED_TRACE("files in " + installed.Directory);
    EXPECT_EQ(ReadBytes(installed.Scr()), PayloadBytes("saver.scr")) << installed.Scr();
    if (installed.Readme) {
        EXPECT_EQ(ReadBytes(installed.Txt()), PayloadBytes("readme.txt")) << installed.Txt();
    }
    ExpectUninstaller(installed.Uninstaller(), installed.Guid, installed.Icon);
}

void ExpectUninstaller(const std::string& file, const std::string& guid, bool icon) {
    SCOPED_TRACE("uninstaller " + file);
    const Bytes bytes = ReadBytes(file);
    // The block behind the program: its stored file size, trailing-data flag 0, "PLWS" at the end.
    ASSERT_GE(bytes.size(), 17u + 8u);
    ASSERT_EQ(std::string(bytes.end() - 4, bytes.end()), "PLWS");
    const uint64_t body = Le32(bytes, bytes.size() - 12) | uint64_t(Le32(bytes, bytes.size() - 8)) << 32;
    ASSERT_LE(body + 17, bytes.size());
    const size_t start = bytes.size() - 17 - static_cast<size_t>(body);
    EXPECT_EQ(Le32(bytes, start), bytes.size()) << "the block records the file's size";
    EXPECT_EQ(bytes[start + 4], 0) << "trailing-data flag";
    TItemTypes items;
    ReadItems(file, items);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Name, "GUID");
    EXPECT_EQ(std::string(items[0].Data.Data(), items[0].Data.Data() + items[0].Data.Size()), guid);
    EXPECT_FALSE(items[0].Compressed) << "stored as it is: the installer carries no compressor";
    FreeItems(items);

    const Bytes program(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(start));
    const std::string source = UninstallerSource();
    if (source.empty()) {
        // This build carries no uninstaller program: the block is all there is.
        EXPECT_TRUE(program.empty()) << program.size() << " bytes before the block";
        return;
    }
    const Bytes carried = ReadBytes(source);
    if (!icon) {
        EXPECT_EQ(program, carried) << "without an icon of its own the carried program is written unchanged";
        return;
    }
    EXPECT_NE(program, carried);
    const std::vector<Bytes> images = IconGroupImages(file, "MAINICON");
    ASSERT_FALSE(images.empty()) << "no icon group MAINICON";
    EXPECT_EQ(images, IconFileImages(PayloadBytes("icon.ico")))
        << "the icon group MAINICON holds the manifest's icon";
    EXPECT_NE(IconGroupImages(source, "MAINICON"), IconFileImages(PayloadBytes("icon.ico")));
}

void ExpectUninstallEntry(const TUninstallEntry& entry, const TInstalled& installed) {
    SCOPED_TRACE("Uninstall entry " + entry.Key());
    ASSERT_TRUE(entry.Exists());
    const std::string u = installed.Uninstaller();
    const bool blanks = u.find(' ') != std::string::npos;
    EXPECT_EQ(entry.Text("UninstallString"), blanks ? "\"" + u + "\"" : u);
    const std::string displayName = installed.ScrName + Texts().DisplayNameSuffix;
    EXPECT_EQ(entry.Text("DisplayName"), displayName);
    EXPECT_EQ(entry.Text("DisplayIcon"), u + ",0");
    EXPECT_EQ(entry.Text("QuietUninstallString"), "\"" + u + "\" /S");
    EXPECT_EQ(entry.Text("InstallLocation"), installed.Directory);
    for (const char* name : {"UninstallString", "DisplayName", "DisplayIcon", "QuietUninstallString", "InstallLocation"})
        EXPECT_EQ(entry.Type(name), static_cast<DWORD>(REG_SZ)) << name;
    DWORD size = KiloBytes(installed.Scr()) + KiloBytes(u) + (installed.Readme ? KiloBytes(installed.Txt()) : 0);
    EXPECT_EQ(entry.Number("EstimatedSize"), size);
    EXPECT_EQ(entry.Number("NoModify"), 1u);
    EXPECT_EQ(entry.Number("NoRepair"), 1u);
    EXPECT_EQ(entry.Text("Publisher"), installed.Publisher);
    EXPECT_EQ(entry.Text("DisplayVersion"), installed.Version);
    EXPECT_EQ(entry.Text("URLInfoAbout"), installed.Url);
    SYSTEMTIME today;
    GetLocalTime(&today);
    char date[16];
    snprintf(date, sizeof date, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    EXPECT_EQ(entry.Text("InstallDate"), date);
    for (const char* name : {"EstimatedSize", "NoModify", "NoRepair"})
        EXPECT_EQ(entry.Type(name), static_cast<DWORD>(REG_DWORD)) << name;
    // The system's list of installed programs shows it under its display name.
    const std::vector<std::string> list = UninstallerList();
    EXPECT_NE(std::find(list.begin(), list.end(), installed.ScrName + "|||" + displayName), list.end())
        << "uninstaller --list printed " << list.size() << " lines";
}

void ExpectFinishActions(const std::string& setup, bool settings, const std::string& readme) {
    const size_t viewer = readme.empty() ? 0 : 1;
    // The programs run on their own once the installer has started them.
    bool arrived = WaitFor([&] { return RundllCalls(setup).size() >= size_t(settings) && ViewerCalls().size() >= viewer; },
                           10000);
    EXPECT_TRUE(arrived);
    if (!settings || readme.empty()) Sleep(1500);  // time for anything that should not come
    EXPECT_EQ(RundllCalls(setup), settings ? std::vector<std::string>{DisplaySettingsCommand} : std::vector<std::string>{});
    const std::vector<std::string> calls = ViewerCalls();
    ASSERT_EQ(calls.size(), viewer);
    if (viewer) {
        EXPECT_TRUE(EndsWithNoCase(calls[0], "\"" + readme + "\"")) << calls[0];
    }
}

const char WalkName[] = "Kestrin Walk Saver";

std::string IconLine() {
    // An icon needs a program to go into: without one the installation could only fail.
    return UninstallerSource().empty() ? std::string() : "uninstaller_icon = '" + PayloadFile("icon.ico") + "'\n";
}

std::vector<std::string> WalkLicence() { return {"Kestrin test licence, first line", "Second line of the licence"}; }

std::string WalkInstaller() {
    return BuildInstaller({"walk", WalkName,
                           "eula = \"Kestrin test licence, first line\\r\\nSecond line of the licence\"\n"
                           "title = \"Kestrin Walk Setup\"\n"
                           "flash_version = \"9.0.45.0\"\n"
                           "readme = '" + PayloadFile("readme.txt") + "'\n" + IconLine()});
}

TWindowsDirectoryFiles::TWindowsDirectoryFiles(std::string scrName) : FName(std::move(scrName)) {
    for (const char* end : {".scr", ".txt", "Uninst.exe"}) DeleteFileA((WindowsDirectory() + FName + end).c_str());
}

TWindowsDirectoryFiles::~TWindowsDirectoryFiles() {
    for (const char* end : {".scr", ".txt", "Uninst.exe"}) DeleteFileA((WindowsDirectory() + FName + end).c_str());
}

}  // namespace wizard

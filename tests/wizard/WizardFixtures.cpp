#include "WizardFixtures.h"
#include "system/uUtils.h"
#include <gtest/gtest.h>
#include <cctype>
#include <filesystem>
#include <memory>
#include <regex>

using namespace testing_support;

namespace wizard {

namespace {

const char PlayerClassKey[] = "CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}";
const char PlayerServerKey[] = "CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\InprocServer32";
const char ViewerClass[] = "KestrinWizardTestText";
const char BrowsersKey[] = "Software\\Clients\\StartMenuInternet";
const char BrowserName[] = "KestrinWizardTestBrowser";
const char DesktopKey[] = "Control Panel\\Desktop";

std::string Bin(const std::string& relative) { return BuildFile(relative); }

std::string WindowsPathOf(const std::filesystem::path& p) { return WindowsPath(NativePath(p)); }

// Runs a console tool to its end; its output when `output` is given. Returns the exit code.
int RunTool(const std::string& command, std::string* output = nullptr) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::string line = command;
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                  &si, &pi);
    CloseHandle(writeEnd);
    std::string text;
    if (started) {
        char buffer[4096];
        DWORD n = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
    }
    CloseHandle(readEnd);
    if (!started) return -1;
    WaitForSingleObject(pi.hProcess, 120000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    if (output) *output = text;
    return static_cast<int>(code);
}

std::vector<std::string> LogLines(const std::string& file) {
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t c : ReadBytes(file)) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += static_cast<char>(c);
        }
    }
    return lines;
}

// Everything the run shares, made before the first test and taken away after the last.
struct TShared : ::testing::Environment {
    std::unique_ptr<TempDir> Root;
    std::unique_ptr<TSavedValue> ScreenSaver, TextClass, Browser;
    std::unique_ptr<TScratchKey> Player, Viewer, BrowserEntry;
    std::map<std::string, std::string> Installers;

    void SetUp() override {
        Root = std::make_unique<TempDir>();
        ScreenSaver = std::make_unique<TSavedValue>(HKEY_CURRENT_USER, DesktopKey, "SCRNSAVE.EXE");
        Player = std::make_unique<TScratchKey>(HKEY_CLASSES_ROOT, PlayerClassKey);
        RegisterPlayerControl(TPlayerControl::New);

        std::filesystem::create_directories(Root->Path() / "payload");
        std::filesystem::create_directories(Root->Path() / "viewer");
        // kestrin-pack takes only a Windows program as the screensaver: a test program with a
        // random tail.
        Bytes scr = ReadBytes(Bin("tests/wizard/wizard_recorder.exe"));
        const Bytes tail = RandomBytes(150000, 20240611);
        scr.insert(scr.end(), tail.begin(), tail.end());
        WriteFile(PayloadFile("saver.scr"), scr);
        WriteFile(PayloadFile("readme.txt"), ToBytes("Kestrin wizard test readme\r\nsecond line\r\n"));
        WriteFile(PayloadFile("icon.ico"), ReadFile(SourceFile("demo/files/icon.ico")));

        // The readme opens through the shell: its open verb for .txt files is a recorder.
        const std::string viewer = WindowsPathOf(Root->Path() / "viewer" / "readme_viewer.exe");
        CopyFileA(Bin("tests/wizard/wizard_recorder.exe").c_str(), viewer.c_str(), FALSE);
        TextClass = std::make_unique<TSavedValue>(HKEY_CLASSES_ROOT, ".txt", "");
        Viewer = std::make_unique<TScratchKey>(HKEY_CLASSES_ROOT, ViewerClass);
        WriteRegString(HKEY_CLASSES_ROOT, std::string(ViewerClass) + "\\shell\\open\\command", "",
                       "\"" + viewer + "\" \"%1\"");
        WriteRegString(HKEY_CLASSES_ROOT, ".txt", "", ViewerClass);

        CopyFileA(Bin("tests/wizard/wizard_recorder.exe").c_str(), BrowserProgram().c_str(), FALSE);
        Browser = std::make_unique<TSavedValue>(HKEY_LOCAL_MACHINE, BrowsersKey, "");
        BrowserEntry = std::make_unique<TScratchKey>(HKEY_LOCAL_MACHINE, std::string(BrowsersKey) + "\\" + BrowserName);
        WriteRegString(HKEY_LOCAL_MACHINE, BrowserEntry->Path() + "\\shell\\open\\command", "",
                       "\"" + BrowserProgram() + "\"");
        WriteRegString(HKEY_LOCAL_MACHINE, BrowsersKey, "", BrowserName);
    }

    void TearDown() override {
        TextClass.reset();
        Viewer.reset();
        Browser.reset();
        BrowserEntry.reset();
        Player.reset();
        ScreenSaver.reset();
        Root.reset();
    }

    std::filesystem::path RootPath() const { return Root->Path(); }
};

TShared* const Shared = static_cast<TShared*>(::testing::AddGlobalTestEnvironment(new TShared));

}  // namespace

void KeepCurrentScreenSaver() { Shared->ScreenSaver->Keep(); }

bool UninstallEntryExists(const std::string& scrName) {
    TRegKey k;
    return k.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + scrName,
                  KEY_QUERY_VALUE);
}

bool Japanese() { return GetSystemDefaultLCID() == 1041; }
std::string Lang() { return Japanese() ? "ja" : "en"; }

std::string PayloadFile(const std::string& name) { return WindowsPathOf(Shared->RootPath() / "payload" / name); }
Bytes PayloadBytes(const std::string& name) { return ReadBytes(PayloadFile(name)); }

std::string Guid(const std::string& key) {
    return "{KestrinWizardTest-" + key + "-" + std::to_string(GetCurrentProcessId()) + "}";
}

std::string UninstallerSource() {
    const std::string source = Bin("uninstaller/Uninst.exe");
    return ReadBytes(source).empty() ? std::string() : source;
}

namespace {
// Packs the manifest text into the key's own folder, once per run.
std::string PackInstaller(const std::string& key, const std::string& manifest) {
    auto known = Shared->Installers.find(key);
    if (known != Shared->Installers.end()) return known->second;
    const std::filesystem::path dir = Shared->RootPath() / "installers" / key;
    std::filesystem::create_directories(dir);
    const std::string manifestFile = WindowsPathOf(dir / "manifest.toml");
    WriteFile(manifestFile, ToBytes(manifest));
    const std::string setup = WindowsPathOf(dir / "Setup.exe");
    std::string output;
    int code = RunTool("\"" + Bin("tools/pack/kestrin-pack.exe") + "\" build \"" + manifestFile + "\" -o \"" + setup +
                           "\" --stub \"" + Bin("src/wizard/Installer.exe") + "\"",
                       &output);
    EXPECT_EQ(code, 0) << "kestrin-pack build of " << key << ":\n" << output << "\nmanifest:\n" << manifest;
    CopyFileA(Bin("tests/wizard/wizard_recorder.exe").c_str(), WindowsPathOf(dir / "rundll32.exe").c_str(), FALSE);
    Shared->Installers[key] = setup;
    return setup;
}

// The manifest's file names are relative to its folder: they become full paths here.
std::string WithFullPaths(const std::string& manifest, const std::filesystem::path& folder) {
    static const std::regex fileLine(R"re(^(scr|readme|eula_file|left_image|top_image|uninstaller_icon)\s*=\s*"([^"]*)")re");
    std::string out;
    size_t start = 0;
    while (start < manifest.size()) {
        size_t end = manifest.find('\n', start);
        if (end == std::string::npos) end = manifest.size();
        const std::string line = manifest.substr(start, end - start);
        std::smatch m;
        if (std::regex_search(line, m, fileLine))
            out += m[1].str() + " = '" + WindowsPathOf(folder / m[2].str()) + "'\n";
        else
            out += line + "\n";
        start = end + 1;
    }
    return out;
}
}  // namespace

std::string BuildInstaller(const TInstallerBuild& build) {
    std::string manifest = "guid = \"" + Guid(build.Key) + "\"\n";
    manifest += "scr_name = '" + build.ScrName + "'\n";
    manifest += "scr = '" + PayloadFile("saver.scr") + "'\n";
    manifest += build.Manifest + "\n";
    return PackInstaller(build.Key, manifest);
}

std::string BuildDemoInstaller(const std::string& key, const std::string& extraLines) {
    const std::filesystem::path demo = EnvPath("KESTRIN_SOURCE_DIR") / "demo";
    const Bytes text = ReadFile(NativePath(demo / "manifest.toml"));
    std::string manifest = WithFullPaths(std::string(text.begin(), text.end()), demo);
    // Top-level keys go before the first table.
    const size_t table = manifest.find("\n[");
    manifest.insert(table == std::string::npos ? manifest.size() : table + 1, extraLines);
    return PackInstaller(key, manifest);
}

std::vector<std::string> RundllCalls(const std::string& installer) {
    return LogLines(installer.substr(0, installer.find_last_of('\\') + 1) + "rundll32.exe.log");
}

std::vector<std::string> ViewerCalls() {
    return LogLines(WindowsPathOf(Shared->RootPath() / "viewer" / "readme_viewer.exe.log"));
}

std::string BrowserProgram() { return WindowsPathOf(Shared->RootPath() / "viewer" / "browser.exe"); }
std::vector<std::string> BrowserCalls() { return LogLines(BrowserProgram() + ".log"); }

void ForgetCalls(const std::string& installer) {
    DeleteFileA((BrowserProgram() + ".log").c_str());
    DeleteFileA((installer.substr(0, installer.find_last_of('\\') + 1) + "rundll32.exe.log").c_str());
    DeleteFileA(WindowsPathOf(Shared->RootPath() / "viewer" / "readme_viewer.exe.log").c_str());
}

std::string Account() {
    char name[256];
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

std::string WindowsDirectory() {
    char buffer[MAX_PATH];
    UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    std::string dir(buffer, n);
    if (dir.empty() || dir.back() != '\\') dir += '\\';
    return dir;
}

std::string ShortPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string CurrentScreenSaver() { return ReadRegString(HKEY_CURRENT_USER, DesktopKey, "SCRNSAVE.EXE"); }
void SetCurrentScreenSaver(const std::string& value) {
    WriteRegString(HKEY_CURRENT_USER, DesktopKey, "SCRNSAVE.EXE", value);
}

void RegisterPlayerControl(TPlayerControl::TBuild build) {
    DeleteRegTree(HKEY_CLASSES_ROOT, PlayerClassKey);
    if (build == TPlayerControl::None) return;
    const std::string file =
        Bin(build == TPlayerControl::New ? "tests/system/fixtures/standin_New.dll" : "tests/system/fixtures/standin_Old.dll");
    WriteRegString(HKEY_CLASSES_ROOT, PlayerServerKey, "", file);
    WriteRegString(HKEY_CLASSES_ROOT, PlayerServerKey, "ThreadingModel", "Apartment");
}

TPlayerControl::TPlayerControl(TBuild build) { RegisterPlayerControl(build); }
TPlayerControl::~TPlayerControl() { RegisterPlayerControl(New); }

TUninstallEntry::TUninstallEntry(const std::string& scrName)
    : FKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + scrName) {}

bool TUninstallEntry::Exists() const {
    TRegKey k;
    return k.Open(HKEY_LOCAL_MACHINE, FKey.Path(), KEY_QUERY_VALUE);
}

std::string TUninstallEntry::Text(const std::string& value) const {
    return ReadRegString(HKEY_LOCAL_MACHINE, FKey.Path(), value);
}

DWORD TUninstallEntry::Type(const std::string& value) const {
    TRegKey k;
    if (!k.Open(HKEY_LOCAL_MACHINE, FKey.Path(), KEY_QUERY_VALUE)) return REG_NONE;
    DWORD type = REG_NONE, size = 0;
    return RegQueryValueExA(k.Handle(), value.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS ? type : REG_NONE;
}

DWORD TUninstallEntry::Number(const std::string& value) const {
    TRegKey k;
    DWORD type = 0, data = 0xFFFFFFFF, size = sizeof data;
    if (!k.Open(HKEY_LOCAL_MACHINE, FKey.Path(), KEY_QUERY_VALUE)) return data;
    k.QueryValue(value, type, &data, size);
    return data;
}

std::vector<std::string> UninstallerList() {
    std::string output;
    RunTool("uninstaller.exe --list", &output);
    return ShownLines(output);
}

std::vector<std::string> DirectoryNames(const std::string& directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((directory + (directory.back() == '\\' ? "*" : "\\*")).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string n = data.cFileName;
        if (n != "." && n != "..") names.push_back(n);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

Bytes ReadBytes(const std::string& path) { return ReadFile(path); }

// ---- texts ------------------------------------------------------------------------------------

namespace {
std::vector<std::string> Ansi(std::initializer_list<const char*> lines) {
    std::vector<std::string> out;
    for (const char* l : lines) out.push_back(Utf8ToAnsi(l));
    return out;
}

TTexts MakeTexts() {
    TTexts t;
    auto a = [](const char* utf8) { return Utf8ToAnsi(utf8); };
    if (Japanese()) {
        t.DefaultCaption = a("Kestrin スクリーンセーバー\u3000インストーラー");
        t.Back = a("< 戻る（&B）");
        t.Next = a("次へ(&N) >");
        t.Install = a("インストール(&N)");
        t.Finish = a("完了(&N)");
        t.Quit = a("終了(&N)");
        t.Cancel = a("キャンセル");
        t.WelcomeTitle = Ansi({"スクリーンセーバー インストール ウィザードへようこそ"});
        t.WelcomeHint = Ansi({"スクリーンセーバーをインストールするには [次へ] を終了するには",
                              "[キャンセル] をクリックしてください"});
        t.LicenceExplain = Ansi({"使用許諾契約書を注意深くお読み下さい。使用許諾契約に同意していただくことにより本ソフトウェア"
                                 "をインストールすることができます"});
        t.OptionsExplain = Ansi({"スクリーンセーバーのインストールオプションを指定します"});
        t.PathCaution = Ansi({"特に必要が無い限り変更しないで下さい",
                              "変更すると「画面のプロパティ」にスクリーンセーバーが表示されない場合があります"});
        t.FinishText = Ansi({"[完了] を押してウィザードを終了します"});
        t.FailureHint = Ansi({"[終了] を押してウィザードを終了します"});
        t.Agree = a("使用許諾契約に同意する");
        t.Disagree = a("使用許諾契約に同意しない");
        t.ChangePath = a("インストール先を変更する(&I)");
        t.Browse = a("参照(&R)...");
        t.SetCurrent = a("このスクリーンセーバーを現在のスクリーンセーバーに設定する(&T)");
        t.ShowReadme = a("ReadMe.txt を読む(&R)");
        t.OpenSettings = a("画面のプロパティを開く(&P)");
        t.SelectDirectory = a("インストール先を選択してください");
        t.WriteFailure = a("スクリーンセーバーの書き出しに失敗しました");
        t.InvalidData = a("不正なデータです");
        t.DisplayNameSuffix = a("スクリーンセーバー");
        t.SetManually = Ansi({"スクリーンセーバーを設定できませんでした", "画面のプロパティを開いて手動で設定してください"});
        t.ScreensaverActive =
            Ansi({"スクリーンセーバーが動作しています", "インストールするには画面のプロパティを閉じてください"});
        t.FlashMissing = Ansi({"Flash Player ActiveX が見つからないかバージョンが古いため実行できません"});
    } else {
        t.DefaultCaption = "Kestrin Screensaver Installer";
        t.Back = "< Back (&B)";
        t.Next = "Next (&N) >";
        t.Install = "Install (&N)";
        t.Finish = "Finish (&N)";
        t.Quit = "Quit (&N)";
        t.Cancel = "Cancel (&C)";
        t.WelcomeTitle = {"Welcome to the Screensaver Installation Wizard"};
        t.WelcomeHint = {"To continue with screensaver installation, click [Next]. To quit, click [Cancel]."};
        t.LicenceExplain = {"Please read the following licensing agreement carefully. To install this software, you "
                            "must accept this agreement."};
        t.OptionsExplain = {"Designates the screensaver's installation option."};
        t.PathCaution = {"Do not change the installation directory unless absolutely necessary.Changing the directory "
                         "may result in the screensaver not being displayed in screen property."};
        t.FinishText = {"To exit the Wizard, click [Finish]."};
        t.FailureHint = {"To exit Wizard, click [Quit]"};
        t.Agree = "I accept the license agreement";
        t.Disagree = "I do not accept the license agreement";
        t.ChangePath = "Change installation directory (&I)";
        t.Browse = "&reference...";
        t.SetCurrent = "Set this screensaver as your default screensaver (&T)";
        t.ShowReadme = "Open ReadMe.txt (&R)";
        t.OpenSettings = "Open screen property (&P)";
        t.SelectDirectory = "Select a directory for installation.";
        t.WriteFailure = "Screensaver write failure.";
        t.InvalidData = "Invalid Data!";
        t.DisplayNameSuffix = " Screensaver";
        t.SetManually = {"The installer was not able to set the screen saver. ",
                         "Please open screen property and set it manually."};
        t.ScreensaverActive = {"Screensaver is active.", "Close screen property to install."};
        t.FlashMissing = {"Unable to find Flash Player ActiveX or a recent version."};
    }
    return t;
}
}  // namespace

const TTexts& Texts() {
    static const TTexts texts = MakeTexts();
    return texts;
}

std::string TTexts::Welcome(const std::string& scrName) const {
    return Japanese() ? Utf8ToAnsi("このウィザードを使用して、") + scrName +
                            Utf8ToAnsi("スクリーンセーバーをコンピュータにインストールできます")
                      : "This wizard installs " + scrName + " screensaver on your computer.";
}

std::vector<std::string> TTexts::DirectoryMissing(const std::string& directory) const {
    if (Japanese())
        return {Utf8ToAnsi("インストール先ディレクトリ(") + directory + Utf8ToAnsi(")が存在しません"),
                Utf8ToAnsi("インストールに失敗しました")};
    return {"Installation directory (" + directory + ") does not exist.", "Installation failed."};
}

std::string TTexts::VersionRequired(const std::string& version) const {
    return Japanese() ? Utf8ToAnsi("バージョン ") + version + Utf8ToAnsi(" 以降が必要です")
                      : "Version " + version + " or higher required";
}

}  // namespace wizard

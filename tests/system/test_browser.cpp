#include "SystemTestSupport.h"
#include "system/uBrowser.h"
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
// Records what would be started instead of starting it.
class TWatchedBrowser : public TBrowser {
public:
    explicit TWatchedBrowser(const std::string& path) { SetBrowserPath(path); }
    std::vector<std::string> Executed, Shell;
    unsigned ExecuteResult = 33;
    int ShellResult = 42;
protected:
    unsigned Execute(const std::string& commandLine) override { Executed.push_back(commandLine); return ExecuteResult; }
    int ShellOpen(const std::string& target) override { Shell.push_back(target); return ShellResult; }
};

const char Clients[] = "Software\\Clients\\StartMenuInternet";

// Takes the default-browser keys away for a test and brings them back after.
struct BrowserRegistry : ::testing::Test {
    TSavedValue Machine{HKEY_LOCAL_MACHINE, Clients, ""};
    TSavedValue User{HKEY_CURRENT_USER, Clients, ""};
    TSavedValue HtmType{HKEY_CLASSES_ROOT, ".htm", ""};
    TScratchKey Client{HKEY_LOCAL_MACHINE, std::string(Clients) + "\\KestrinTestBrowser"};
    TScratchKey HtmlType{HKEY_CLASSES_ROOT, "KestrinTest.Html"};
    void SetUp() override {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            TRegKey k;
            if (k.Open(root, Clients, KEY_SET_VALUE)) k.DeleteValue("");
        }
        TRegKey k;
        if (k.Open(HKEY_CLASSES_ROOT, ".htm", KEY_SET_VALUE)) k.DeleteValue("");
    }
};
}  // namespace

TEST(BrowserCommand, ProgramPathOutOfTheCommand) {
    EXPECT_EQ(BrowserPathFromCommand("\"C:\\Program Files\\Web Browser\\browser.exe\" -osint -url \"%1\""),
              "C:\\Program Files\\Web Browser\\browser.exe");
    // A folder name with "-" survives when the path is quoted.
    EXPECT_EQ(BrowserPathFromCommand("\"C:\\Program Files\\Web-Browser\\browser.exe\" \"%1\""),
              "C:\\Program Files\\Web-Browser\\browser.exe");
    EXPECT_EQ(BrowserPathFromCommand("C:\\PROGRA~1\\WEB\\BROWSER.EXE -nohome %1"), "C:\\PROGRA~1\\WEB\\BROWSER.EXE");
    EXPECT_EQ(BrowserPathFromCommand("C:\\Program   Files\\B\\b.exe /url %L"), "C:\\Program Files\\B\\b.exe");
    EXPECT_EQ(BrowserPathFromCommand("%SystemRoot%\\web.exe"), ExpandEnvironment("%SystemRoot%", MAX_PATH) + "\\web.exe");
    EXPECT_EQ(BrowserPathFromCommand(""), "");
    EXPECT_EQ(BrowserPathFromCommand("\"\" -x"), "");
}

TEST(BrowserCommand, CommaTextPieces) {
    std::vector<std::string> list;
    SplitCommaText(list, " a,b  \"c d\",\"e\"\"f\" ");
    EXPECT_EQ(list, (std::vector<std::string>{"a", "b", "c d", "e\"f"}));
    SplitCommaText(list, "a,,b");
    EXPECT_EQ(list, (std::vector<std::string>{"a", "", "b"}));
}

TEST_F(BrowserRegistry, MachineClientThenUserClientThenHtmlAssociation) {
    const std::string client = std::string(Clients) + "\\KestrinTestBrowser";
    WriteRegString(HKEY_CLASSES_ROOT, ".htm", "", "KestrinTest.Html");
    WriteRegString(HKEY_CLASSES_ROOT, "KestrinTest.Html\\shell\\open\\command", "", "\"C:\\Assoc\\viewer.exe\" -x \"%1\"");
    EXPECT_EQ(GetDefaultBrowserPath(), "C:\\Assoc\\viewer.exe");

    WriteRegString(HKEY_LOCAL_MACHINE, client + "\\shell\\open\\command", "", "\"C:\\Web\\machine.exe\" -new");
    WriteRegString(HKEY_CURRENT_USER, Clients, "", "KestrinTestBrowser");
    EXPECT_EQ(GetDefaultBrowserPath(), "C:\\Web\\machine.exe");  // the user's choice, the machine's command

    WriteRegString(HKEY_LOCAL_MACHINE, Clients, "", "NoSuchClient");
    EXPECT_EQ(GetDefaultBrowserPath(), "C:\\Assoc\\viewer.exe");  // named client without a command
}

TEST_F(BrowserRegistry, NothingKnownLeavesThePathEmpty) {
    EXPECT_EQ(GetDefaultBrowserPath(), "");
    TBrowser browser;
    EXPECT_EQ(browser.BrowserPath(), "");
}

TEST(Browser, OpenStartsTheProgramWithTheUrl) {
    TWatchedBrowser b("C:\\Program Files\\Web\\browser.exe");
    b.SetURL("http://example.invalid/get player?x=\"1\"");
    b.Open();
    ASSERT_EQ(b.Executed.size(), 1u);
    EXPECT_EQ(b.Executed[0], "\"C:\\Program Files\\Web\\browser.exe\" http://example.invalid/get%20player?x=%221%22");
    EXPECT_TRUE(b.Shell.empty());
}

TEST(Browser, WithoutAProgramTheShellThenExplorer) {
    TWatchedBrowser b("");
    b.SetURL("http://example.invalid/");
    b.Open();
    EXPECT_EQ(b.Shell, (std::vector<std::string>{"http://example.invalid/"}));
    EXPECT_TRUE(b.Executed.empty());
    b.ShellResult = 31;
    b.Open();
    EXPECT_EQ(b.Executed, (std::vector<std::string>{"explorer http://example.invalid/"}));
}

TEST(Browser, FailedProgramStartFallsBackToTheShell) {
    TWatchedBrowser b("C:\\gone\\browser.exe");
    b.ExecuteResult = 2;
    b.SetURL("http://example.invalid/");
    b.Open();
    EXPECT_EQ(b.Executed.size(), 1u);
    EXPECT_EQ(b.Shell.size(), 1u);
}

TEST(Browser, UrlSettingAndAutoNavigation) {
    TWatchedBrowser b("C:\\b.exe");
    b.Auto = true;
    b.SetURL("http://example.invalid/");
    EXPECT_EQ(b.Shell.size(), 1u);
    b.SetURL("http://example.invalid/");  // the same value: nothing happens
    EXPECT_EQ(b.Shell.size(), 1u);
    b.SetURL("");
    EXPECT_EQ(b.URL(), "http://");
    b.Auto = false;
    b.SetURL("\r\n");
    EXPECT_EQ(b.URL(), "http://\r\n");
    b.SetURL("example.invalid");
    EXPECT_EQ(b.URL(), "example.invalid");
}

TEST(Browser, NavigateFallsBackUnlessTheTargetIsMissing) {
    TWatchedBrowser b("C:\\b.exe");
    b.SetURL("http://example.invalid/");
    b.ShellResult = 2;
    b.Navigate(true);
    EXPECT_TRUE(b.Executed.empty());
    b.ShellResult = 5;
    b.Navigate(false);
    EXPECT_TRUE(b.Executed.empty());
    b.Navigate(true);
    EXPECT_EQ(b.Executed.size(), 1u);
    b.ShellResult = 33;
    b.Navigate(true);
    EXPECT_EQ(b.Executed.size(), 1u);
}

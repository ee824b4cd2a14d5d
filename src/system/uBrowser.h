// Opens a web address in the user's default browser.
#pragma once
#include <string>
#include <vector>

// The default browser's program path without quotes and arguments, or empty.
std::string GetDefaultBrowserPath();
// The program path inside a browser command line (exposed for its rules to be checked).
std::string BrowserPathFromCommand(const std::string& command);
// Pieces separated by commas or characters of code 1 to 32; a double-quoted piece is kept whole.
void SplitCommaText(std::vector<std::string>& list, const std::string& text);

class TBrowser {
public:
    explicit TBrowser(void* owner = nullptr);
    virtual ~TBrowser() = default;
    TBrowser(const TBrowser&) = delete;
    TBrowser& operator=(const TBrowser&) = delete;

    bool Auto = false;  // every change of URL opens it at once
    const std::string& URL() const { return FURL; }
    void SetURL(const std::string& value);
    const std::string& BrowserPath() const { return FBrowserPath; }

    // Starts the browser program on URL, or hands URL to the shell when none is known.
    void Open();
    // Asks the shell first; with the fallback flag, goes on to Open when the shell fails
    // for another reason than a missing target.
    void Navigate(bool fallback);

protected:
    // The two ways of starting something, apart so that tests can watch them.
    virtual unsigned Execute(const std::string& commandLine);  // WinExec result
    virtual int ShellOpen(const std::string& target);          // ShellExecuteA result
    void SetBrowserPath(const std::string& path) { FBrowserPath = path; }

private:
    std::string FURL;
    std::string FBrowserPath;
};

void OpenURL(const std::string& url);

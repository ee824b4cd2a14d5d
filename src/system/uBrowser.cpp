#include "system/uBrowser.h"
#include "system/uUtils.h"
#include <windows.h>
#include <shellapi.h>

void SplitCommaText(std::vector<std::string>& list, const std::string& text) {
    list.clear();
    auto blank = [](char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; };
    size_t p = 0;
    const size_t n = text.size();
    while (p < n && blank(text[p])) ++p;
    while (p < n) {
        std::string piece;
        if (text[p] == '"') {
            ++p;
            while (p < n) {
                if (text[p] == '"') {
                    if (p + 1 < n && text[p + 1] == '"') {
                        piece += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                piece += text[p++];
            }
        } else {
            while (p < n && text[p] != ',' && !blank(text[p])) piece += text[p++];
        }
        list.push_back(piece);
        while (p < n && blank(text[p])) ++p;
        if (p < n && text[p] == ',') {
            ++p;
            while (p < n && blank(text[p])) ++p;
            if (p == n) list.push_back(std::string());  // a trailing comma ends an empty piece
        }
    }
}

std::string BrowserPathFromCommand(const std::string& command) {
    std::string cmd = Trim(ExpandEnvironment(command, MAX_PATH));
    if (cmd.empty()) return std::string();
    // A quoted program path is taken whole: folder names may hold "-" or blanks.
    if (cmd[0] == '"') return Trim(UnquoteStr(cmd, '"'));
    std::vector<std::string> pieces;
    SplitCommaText(pieces, cmd);
    std::string result;
    for (const std::string& piece : pieces) {
        // Options begin with "-" or "/"; placeholders hold "%".
        if (piece.empty() || piece[0] == '-' || piece[0] == '/' || piece.find('%') != std::string::npos) continue;
        result += piece;
        result += ' ';
    }
    return Trim(result);
}

std::string GetDefaultBrowserPath() {
    const std::string clients = "Software\\Clients\\StartMenuInternet";
    std::string name = ReadRegDefault(HKEY_LOCAL_MACHINE, clients);
    if (name.empty()) name = ReadRegDefault(HKEY_CURRENT_USER, clients);
    std::string command;
    if (!name.empty()) command = ReadRegDefault(HKEY_LOCAL_MACHINE, clients + "\\" + name + "\\shell\\open\\command");
    if (command.empty()) command = GetAssociatedCommand(".htm");
    return BrowserPathFromCommand(command);
}

TBrowser::TBrowser(void*) : FBrowserPath(GetDefaultBrowserPath()) {}

void TBrowser::SetURL(const std::string& value) {
    if (value == FURL) return;
    FURL = value;
    // A URL made of nothing but line breaks has no field at all; it gets a scheme.
    if (FURL.find_first_not_of("\r\n") == std::string::npos) FURL = "http://" + FURL;
    if (Auto) Navigate(true);
}

namespace {
// A blank or a double quote would split the browser's command line: send them encoded.
std::string CommandLineURL(const std::string& url) {
    std::string result;
    for (char c : url) {
        if (c == ' ') result += "%20";
        else if (c == '"') result += "%22";
        else result += c;
    }
    return result;
}
}  // namespace

void TBrowser::Open() {
    if (FURL.empty()) return;
    if (!FBrowserPath.empty() && Execute(QuoteStr(FBrowserPath, '"') + " " + CommandLineURL(FURL)) > 31) return;
    if (ShellOpen(FURL) < 32) Execute("explorer " + CommandLineURL(FURL));
}

void TBrowser::Navigate(bool fallback) {
    if (FURL.empty()) return;
    int result = ShellOpen(FURL);
    if (fallback && result != ERROR_FILE_NOT_FOUND && result <= 32) Open();
}

unsigned TBrowser::Execute(const std::string& commandLine) { return WinExec(commandLine.c_str(), SW_SHOW); }

int TBrowser::ShellOpen(const std::string& target) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOW)));
}

void OpenURL(const std::string& url) {
    TBrowser browser(nullptr);
    browser.SetURL(url);
    browser.Open();
}

// The name and pattern rules of the contract, an object of their own: a program that only needs
// the names of the files links no code-page conversion.
#include "container/uInstallerContract.h"
#include "base/CodePage.h"
#include "base/StrUtils.h"
#include <algorithm>

namespace {

bool IsRefusedCharacter(char16_t c) {
    return c < 0x20 || (c < 0x80 && std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos);
}

bool IsDeviceDigit(char16_t c) { return (c >= u'0' && c <= u'9') || c == u'\u00B9' || c == u'\u00B2' || c == u'\u00B3'; }

// Windows opens the device whatever extension or blanks follow its name.
bool IsDeviceName(std::u16string stem) {
    while (!stem.empty() && stem.back() == u' ') stem.pop_back();
    for (char16_t& c : stem)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    for (std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL", u"CLOCK$", u"CONIN$", u"CONOUT$"})
        if (stem == device) return true;
    return stem.size() == 4 && (stem.compare(0, 3, u"COM") == 0 || stem.compare(0, 3, u"LPT") == 0) &&
           IsDeviceDigit(stem[3]);
}

}  // namespace

bool IsValidScrName(const std::string& name, unsigned codePage) {
    if (name.empty() || name.size() > 200) return false;
    // Judged as characters: a trail byte of a double-byte character may look like a backslash.
    std::string utf8;
    if (!CodePageToUtf8(name, codePage, utf8)) return false;
    const std::u16string text = Utf8ToUtf16(utf8);
    for (char16_t c : text)
        if (IsRefusedCharacter(c) || c == 0xFFFD) return false;
    if (text.back() == u'.' || text.back() == u' ') return false;
    return !IsDeviceName(text.substr(0, text.find(u'.')));
}

bool FormatSinglePattern(const std::string& pattern, const std::string& argument, std::string& result) {
    std::string out;
    int strings = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        if (i + 1 >= pattern.size()) return false;
        const char c = pattern[++i];
        if (c == '%') {
            out += '%';
        } else if (c == 's' && strings++ == 0) {
            out += argument;
        } else {
            return false;
        }
    }
    if (strings != 1) return false;
    result = out;
    return true;
}

bool IsSingleStringPattern(const std::string& pattern) {
    std::string unused;
    return FormatSinglePattern(pattern, std::string(), unused);
}

namespace {

bool StartsWithNoCase(const std::string& text, size_t at, const char* prefix) {
    for (size_t i = 0; prefix[i]; ++i) {
        if (at + i >= text.size()) return false;
        char c = text[at + i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (c != prefix[i]) return false;
    }
    return true;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

TInstallerSwitches ParseInstallerSwitches(const std::string& arguments) {
    TInstallerSwitches s;
    size_t p = 0;
    while (p < arguments.size() && IsBlank(arguments[p])) ++p;
    size_t end = arguments.size();
    while (end > p && IsBlank(arguments[end - 1])) --end;
    s.Text = arguments.substr(p, end - p);
    while (p < end) {
        const size_t directory = sizeof DirectorySwitch - 1, log = sizeof LogSwitch - 1;
        if (StartsWithNoCase(arguments, p, DirectorySwitch)) {
            s.HasDirectory = true;
            s.Directory = arguments.substr(p + directory, end - p - directory);
            break;
        }
        std::string word;
        p = std::min(NextArgument(arguments, p, &word), end);
        while (p < end && IsBlank(arguments[p])) ++p;
        if (word.size() == sizeof SilentSwitch - 1 && StartsWithNoCase(word, 0, SilentSwitch))
            s.Silent = true;
        else if (word.size() > log && StartsWithNoCase(word, 0, LogSwitch))
            s.LogFile = word.substr(log);
        else
            s.Ignored.push_back(word);
    }
    return s;
}

TInstallerSwitches SwitchesOfCommandLine(const std::string& commandLine, bool* elevated) {
    size_t p = NextArgument(commandLine, 0);  // the program
    std::string first;
    const size_t afterFirst = NextArgument(commandLine, p, &first);
    const bool asAdmin = first == "/AsAdmin";
    if (elevated) *elevated = asAdmin;
    if (asAdmin) p = NextArgument(commandLine, afterFirst);  // the account name
    return ParseInstallerSwitches(commandLine.substr(p));
}

// The name and pattern rules of the contract, an object of their own: a program that only needs
// the names of the files links no code-page conversion.
#include "container/uInstallerContract.h"
#include "base/CodePage.h"

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

// Where the argument after the one at `p` starts (blanks end one outside double quotes).
size_t SkipArgument(const std::string& line, size_t p, std::string* argument) {
    while (p < line.size() && IsBlank(line[p])) ++p;
    bool quoted = false;
    for (; p < line.size() && (quoted || !IsBlank(line[p])); ++p) {
        if (line[p] == '"')
            quoted = !quoted;
        else if (argument)
            *argument += line[p];
    }
    return p;
}

}  // namespace

TInstallerSwitches ParseInstallerSwitches(const std::string& arguments) {
    TInstallerSwitches s;
    size_t p = 0;
    while (p < arguments.size() && IsBlank(arguments[p])) ++p;
    size_t end = arguments.size();
    while (end > p && IsBlank(arguments[end - 1])) --end;
    s.Text = arguments.substr(p, end - p);
    while (p < end) {
        if (StartsWithNoCase(arguments, p, DirectorySwitch)) {
            s.HasDirectory = true;
            s.Directory = arguments.substr(p + 3, end - p - 3);
            break;
        }
        // One argument: up to a blank outside double quotes, the quotes removed.
        std::string word;
        bool quoted = false;
        for (; p < end && (quoted || !IsBlank(arguments[p])); ++p) {
            if (arguments[p] == '"')
                quoted = !quoted;
            else
                word += arguments[p];
        }
        while (p < end && IsBlank(arguments[p])) ++p;
        if (word.size() == 2 && StartsWithNoCase(word, 0, SilentSwitch))
            s.Silent = true;
        else if (StartsWithNoCase(word, 0, LogSwitch) && word.size() > 5)
            s.LogFile = word.substr(5);
        else
            s.Ignored.push_back(word);
    }
    return s;
}

TInstallerSwitches SwitchesOfCommandLine(const std::string& commandLine, bool* elevated) {
    size_t p = SkipArgument(commandLine, 0, nullptr);  // the program
    std::string first;
    const size_t afterFirst = SkipArgument(commandLine, p, &first);
    const bool asAdmin = first == "/AsAdmin";
    if (elevated) *elevated = asAdmin;
    if (asAdmin) p = SkipArgument(commandLine, afterFirst, nullptr);  // the account name
    return ParseInstallerSwitches(commandLine.substr(p));
}

#include "system/uUtils.h"
#include "win32/uSystemLibrary.h"
#include <climits>
#include <cstring>
#include <memory>

// ---- versions ----

namespace {
// A decimal integer with an optional sign; anything else, or a value out of range, is 0.
long long VersionPiece(const std::vector<std::string>& pieces, size_t i) {
    if (i >= pieces.size()) return 0;
    const std::string& s = pieces[i];
    size_t p = 0;
    bool negative = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
    if (p == s.size()) return 0;
    long long value = 0;
    for (; p < s.size(); ++p) {
        if (s[p] < '0' || s[p] > '9') return 0;
        value = value * 10 + (s[p] - '0');
        if (value > INT_MAX) return 0;
    }
    return negative ? -value : value;
}
}  // namespace

int CompareVersions(const std::string& a, const std::string& b) {
    std::vector<std::string> pa, pb;
    SplitText(pa, a, ".");
    SplitText(pb, b, ".");
    size_t n = pa.size() > pb.size() ? pa.size() : pb.size();
    for (size_t i = 0; i < n; ++i) {
        long long x = VersionPiece(pa, i), y = VersionPiece(pb, i);
        if (y < x) return 1;
        if (x < y) return -1;
    }
    return 0;
}

bool VersionAtLeast(const std::string& a, const std::string& b) { return CompareVersions(a, b) >= 0; }

std::string GetFileVersionText(const std::string& fileName) {
    // Bound at run time from the system directory: a version.dll beside the installer must not load.
    TSystemLibrary version("version.dll");
    using TSize = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using TInfo = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using TQuery = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    auto getSize = version.Proc<TSize>("GetFileVersionInfoSizeA");
    auto getInfo = version.Proc<TInfo>("GetFileVersionInfoA");
    auto query = version.Proc<TQuery>("VerQueryValueA");
    if (!getSize || !getInfo || !query) return std::string();

    DWORD handle = 0;
    DWORD size = getSize(fileName.c_str(), &handle);
    if (size < 1) return std::string();
    std::unique_ptr<char[]> block(new char[size]);
    if (!getInfo(fileName.c_str(), 0, size, block.get())) return std::string();
    void* fixed = nullptr;
    UINT length = 0;
    if (!query(block.get(), "\\", &fixed, &length) || !fixed || length < sizeof(VS_FIXEDFILEINFO))
        return std::string();
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    if (info->dwSignature != 0xFEEF04BD) return std::string();
    return std::to_string(HIWORD(info->dwProductVersionMS)) + "." + std::to_string(LOWORD(info->dwProductVersionMS)) +
           "." + std::to_string(HIWORD(info->dwProductVersionLS)) + "." +
           std::to_string(LOWORD(info->dwProductVersionLS));
}

// ---- shell ----

std::string GetAssociatedCommand(const std::string& extension) {
    std::string ext = extension;
    if (ext.find('.') == std::string::npos) ext.insert(0, ".");
    std::string typeName = ReadRegDefault(HKEY_CLASSES_ROOT, ext);
    if (typeName.empty()) return std::string();  // no type: no "\shell\open\command" under the root
    std::string command = ReadRegDefault(HKEY_CLASSES_ROOT, typeName + "\\shell\\open\\command");
    if (command.empty()) return std::string();
    if (command.find('"') != std::string::npos) {
        size_t p = command.find(" -");
        if (p != std::string::npos) command.erase(p);
        p = command.find(" /");
        if (p != std::string::npos) command.erase(p);
        command = StringReplaceAll(command, "\"", "");
    }
    command = Trim(StringReplaceAll(StringReplaceAll(command, "%1", ""), "'", ""));
    if (command.empty()) return std::string();  // a command of placeholders alone names no program
    return QuoteStr(command, '"');
}

std::string ExpandEnvironment(const std::string& text, DWORD bufferSize) {
    std::unique_ptr<char[]> buffer(new char[bufferSize]);
    DWORD n = ExpandEnvironmentStringsA(text.c_str(), buffer.get(), bufferSize);
    if (n == 0 || n > bufferSize) return std::string();  // failed, or did not fit
    // The text ends at its terminator, not at n: Wine counts characters, not bytes, so a
    // double-byte name would lose its last bytes ("...\deeper" became "...\deep").
    const char* end = static_cast<const char*>(std::memchr(buffer.get(), '\0', bufferSize));
    if (!end) return std::string();
    return std::string(buffer.get(), static_cast<size_t>(end - buffer.get()));
}

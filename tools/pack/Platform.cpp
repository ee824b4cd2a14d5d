#include "Platform.h"
#include <cstdio>
#include <vector>

#ifdef _WIN32
#include <windows.h>

bool Utf8ToCodePage(const std::string& utf8, unsigned codePage, std::string& out) {
    out.clear();
    if (utf8.empty()) return true;
    int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), nullptr, 0);
    if (wide <= 0) return false;
    std::vector<wchar_t> w(wide);
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), w.data(), wide);
    if (codePage == CP_UTF8) { out = utf8; return true; }
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(codePage, 0, w.data(), wide, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    out.resize(n);
    WideCharToMultiByte(codePage, 0, w.data(), wide, out.data(), n, nullptr, &lossy);
    return !lossy;
}

std::string ExecutableDirectory() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n < MAX_PATH ? n : 0);
    size_t cut = s.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : s.substr(0, cut + 1);
}

bool MoveFileOver(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

#else
#include <cerrno>
#include <iconv.h>
#include <unistd.h>

bool Utf8ToCodePage(const std::string& utf8, unsigned codePage, std::string& out) {
    out.clear();
    if (codePage == 65001) { out = utf8; return true; }
    std::string target = codePage == 932 ? "CP932" : "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open(target.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in = utf8;
    char* src = in.data();
    size_t left = in.size();
    std::vector<char> buf(in.size() * 2 + 16);
    bool ok = true;
    while (left > 0) {
        char* dst = buf.data();
        size_t room = buf.size();
        size_t rc = iconv(cd, &src, &left, &dst, &room);
        out.append(buf.data(), dst - buf.data());
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) { ok = false; break; }
    }
    iconv_close(cd);
    return ok;
}

std::string ExecutableDirectory() {
    std::vector<char> path(4096);
    ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return std::string();
    std::string s(path.data(), static_cast<size_t>(n));
    return s.substr(0, s.find_last_of('/') + 1);
}

bool MoveFileOver(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
#endif

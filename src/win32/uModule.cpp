#include "win32/uModule.h"
#include "win32/uAnsiPath.h"

std::string ModuleFileName(HMODULE module) {
    // Long paths do exist: grow the buffer until the name fits.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(module, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::string();
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return std::string();
        path.resize(path.size() * 2);
    }
}

std::string ModuleDirectory() {
    std::string path = ModuleFileName();
    size_t cut = LastPathDelimiter(path);
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string TitleFromExeName(const std::string& exePath) {
    size_t slash = LastPathDelimiter(exePath, "\\/:");
    std::string name = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    if (name.empty()) return name;
    size_t rest = IsDBCSLeadByte(static_cast<BYTE>(name[0])) && name.size() > 1 ? 2 : 1;
    if (name.size() > rest) CharLowerBuffA(&name[rest], static_cast<DWORD>(name.size() - rest));
    return name;
}

std::string ApplicationTitle() { return TitleFromExeName(ModuleFileName()); }

std::string LoadResourceString(unsigned id, HMODULE module) {
    char buffer[1024];
    int n = LoadStringA(module ? module : GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    if (n <= 0) return std::string();
    if (n >= static_cast<int>(sizeof buffer)) n = sizeof buffer - 1;
    return std::string(buffer, static_cast<size_t>(n));
}

bool FindModuleResource(const char* name, const void*& data, size_t& size) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    data = loaded ? LockResource(loaded) : nullptr;
    size = data ? SizeofResource(module, resource) : 0;
    return data != nullptr;
}

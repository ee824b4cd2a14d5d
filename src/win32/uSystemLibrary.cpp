#include "win32/uSystemLibrary.h"

std::string SystemDirectory() {
    char buffer[MAX_PATH];
    UINT n = GetSystemDirectoryA(buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return std::string();
    std::string dir(buffer, n);
    if (dir.back() != '\\') dir += '\\';
    return dir;
}

HMODULE LoadSystemLibrary(const char* name) {
    std::string dir = SystemDirectory();
    if (dir.empty() || !name || !*name) return nullptr;
    // The altered search path makes the library's own imports come from its directory too.
    return LoadLibraryExA((dir + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

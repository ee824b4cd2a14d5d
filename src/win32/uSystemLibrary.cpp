#include "win32/uSystemLibrary.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

void HardenDllSearchPath() {
    // kernel32 is always mapped from the system directory, so asking it is safe.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    using TSetDllDirectoryA = BOOL(WINAPI*)(LPCSTR);
    auto setDefault = reinterpret_cast<TSetDefaultDllDirectories>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Older systems: at least take the current directory out of the search.
    auto setDllDirectory = reinterpret_cast<TSetDllDirectoryA>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDllDirectory) setDllDirectory("");
}

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

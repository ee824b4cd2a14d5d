// HardenDllSearchPath, an object of its own: a program that calls only it links no string code.
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
    auto setDefault = ProcAddress<TSetDefaultDllDirectories>(kernel, "SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Older systems: at least take the current directory out of the search.
    auto setDllDirectory = ProcAddress<TSetDllDirectoryA>(kernel, "SetDllDirectoryA");
    if (setDllDirectory) setDllDirectory("");
}

// Stands in for a program that the installer starts at its end (the display settings, the
// readme viewer): appends its command line, one a line, to "<its own path>.log" and ends.
#include <windows.h>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 2;
    const std::string log = std::string(self, n) + ".log";
    // Several may end at once: each line goes in one append.
    HANDLE f = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 3;
    const std::string line = std::string(GetCommandLineA()) + "\n";
    DWORD written = 0;
    BOOL ok = WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == line.size() ? 0 : 4;
}

// Helpers of the uninstaller tests: an installation laid down as the installer leaves it, the
// real uninstaller run as a separate process, and its message boxes driven from outside.
#pragma once
#include "system/SystemTestSupport.h"
#include <windows.h>
#include <string>
#include <vector>

namespace uninstaller_test {

constexpr DWORD NoExitCode = 0xFFFFFFFF;

// A program started with CreateProcess (optionally under another token), ended if it outlives the test.
class TProcess {
public:
    TProcess(const std::string& exe, const std::string& arguments, HANDLE token = nullptr);
    ~TProcess();
    TProcess(const TProcess&) = delete;
    TProcess& operator=(const TProcess&) = delete;
    bool Started() const { return FInfo.hProcess != nullptr; }
    // The exit code, or NoExitCode when it did not end in time.
    DWORD Wait(DWORD ms = 60000);
private:
    PROCESS_INFORMATION FInfo = {};
};

DWORD RunProgram(const std::string& exe, const std::string& arguments, HANDLE token = nullptr);

// The top-level message box with that caption, once it shows; null after the time is out.
HWND WaitForBox(const std::string& caption, DWORD ms = 30000);
// The box of that caption that follows another one.
HWND WaitForNextBox(const std::string& caption, HWND previous);
std::string BoxText(HWND box);
// Presses a button of the box as a click would (IDYES, IDNO, IDOK).
void Press(HWND box, int id);
// How many running processes have this executable file name.
int ProcessCount(const std::string& exeName);

// The user's token without its elevation (the filtered token of an administrator); null if none.
HANDLE LimitedToken();

// The delete-at-restart entries (sources of pairs whose target is empty), as the system writes them.
std::vector<std::string> PendingRemovals();
// Forgets the entries whose path contains the text; the tests' own copies go with them.
void ForgetPendingRemovals(const std::string& containing);

bool FileExists(const std::string& path);
std::string TempDirectory();

}  // namespace uninstaller_test

#include "uninstaller/uSelfRemoval.h"
#include "startup/uSecurityUtils.h"
#include "win32/uAnsiPath.h"
#include "win32/uHandle.h"
#include <windows.h>

namespace {
constexpr DWORD OriginalWaitMs = 60000;
constexpr int DeleteAttempts = 200;  // 20 seconds
constexpr DWORD DeleteRetryMs = 100;

void RemoveAtRestart(const std::string& path) { MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT); }

std::string TempDirectory() {
    char buffer[MAX_PATH];
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    if (n == 0 || n >= sizeof buffer) return "";
    std::string dir(buffer, n);
    if (dir.back() != '\\') dir += '\\';
    return dir;
}

std::string MakePrivateFolder(const std::string& parent) {
    if (parent.empty()) return "";
    for (DWORD i = 0; i < 16; ++i) {
        std::string folder = parent + "~ksu" + std::to_string(GetCurrentProcessId()) + "." + std::to_string(i);
        if (CreatePrivateDirectory(folder)) return folder;
    }
    return "";
}

bool StartCopy(const std::string& copy, const std::string& original, const std::string& workingDir) {
    // The copy inherits this handle and waits on it; it holds its own once started.
    THandle self;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), self.Receive(), SYNCHRONIZE,
                         TRUE, 0))
        return false;
    std::string commandLine = "\"" + copy + "\" /Cleanup " +
                              std::to_string(reinterpret_cast<uintptr_t>(self.Get())) + " \"" + original + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    bool started = CreateProcessA(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  workingDir.c_str(), &startup, &process) != FALSE;
    THandle thread(process.hThread), child(process.hProcess);
    return started;
}
}  // namespace

void RemoveSelf(const std::string& self) {
    const std::string temp = TempDirectory();
    const std::string folder = MakePrivateFolder(temp);
    const std::string copy = folder + "\\" + self.substr(LastPathDelimiter(self, "\\/:") + 1);
    if (!folder.empty() && CopyFileA(self.c_str(), copy.c_str(), FALSE) && StartCopy(copy, self, temp)) {
        RemoveAtRestart(copy);
        RemoveAtRestart(folder);  // after its file: the operations run in order
        return;
    }
    if (!folder.empty()) {
        DeleteFileA(copy.c_str());
        RemoveDirectoryA(folder.c_str());
    }
    RemoveAtRestart(self);
}

int FinishSelfRemoval(uintptr_t waitHandle, const std::string& original, const std::string& self) {
    // The original's handle, inherited: closed only when the wait shows it is one.
    HANDLE first = reinterpret_cast<HANDLE>(waitHandle);
    if (first && WaitForSingleObject(first, OriginalWaitMs) != WAIT_FAILED) THandle(first).Close();
    TInstallation installation;
    const std::string guid = ReadGuid(self);
    if (!InstallationFromPath(original, installation) || guid.empty() || ReadGuid(original) != guid) return 0;
    for (int i = 0; i < DeleteAttempts; ++i) {
        if (RemoveIfPresent(original)) return 0;
        Sleep(DeleteRetryMs);
    }
    RemoveAtRestart(original);
    return 0;
}

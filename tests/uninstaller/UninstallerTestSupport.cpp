#include "UninstallerTestSupport.h"
#include <tlhelp32.h>

namespace uninstaller_test {

namespace {
const char SessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char PendingValue[] = "PendingFileRenameOperations";

std::vector<std::string> ReadPending() {
    TRegKey key;
    std::vector<std::string> list;
    if (!key.Open(HKEY_LOCAL_MACHINE, SessionManager, KEY_QUERY_VALUE)) return list;
    std::vector<char> buffer(1 << 20);
    DWORD size = static_cast<DWORD>(buffer.size()), type = 0;
    if (!key.QueryValue(PendingValue, type, buffer.data(), size)) return list;
    for (size_t p = 0; p < size;) {
        std::string item(&buffer[p]);
        p += item.size() + 1;
        list.push_back(item);
    }
    // A trailing empty string ends the list; pairs are (source, target).
    if (list.size() % 2) list.pop_back();
    return list;
}
}  // namespace

TProcess::TProcess(const std::string& exe, const std::string& arguments, HANDLE token) {
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    BOOL ok = token ? CreateProcessAsUserA(token, exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                           nullptr, &startup, &FInfo)
                    : CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &FInfo);
    if (!ok) FInfo = {};
}

TProcess::~TProcess() {
    if (!FInfo.hProcess) return;
    if (WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(FInfo.hProcess, NoExitCode);
    CloseHandle(FInfo.hProcess);
    CloseHandle(FInfo.hThread);
}

DWORD TProcess::Wait(DWORD ms) {
    DWORD code = NoExitCode;
    if (FInfo.hProcess && WaitForSingleObject(FInfo.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(FInfo.hProcess, &code);
    return code;
}

DWORD RunProgram(const std::string& exe, const std::string& arguments, HANDLE token) {
    TProcess process(exe, arguments, token);
    return process.Wait();
}

HWND WaitForBox(const std::string& caption, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        HWND box = FindWindowA("#32770", caption.c_str());
        if (box && IsWindowVisible(box)) return box;
        Sleep(50);
    }
    return nullptr;
}

HWND WaitForNextBox(const std::string& caption, HWND previous) {
    for (int i = 0; i < 600; ++i) {
        HWND box = WaitForBox(caption, 50);
        if (box && box != previous) return box;
    }
    return nullptr;
}

std::string BoxText(HWND box) {
    char text[2048] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message box's static text
    return text;
}

void Press(HWND box, int id) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

int ProcessCount(const std::string& exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0) ++count;
    CloseHandle(snapshot);
    return count;
}

HANDLE LimitedToken() {
    HANDLE own = nullptr, primary = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY, &own)) return nullptr;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    if (GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
        DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &primary);
        CloseHandle(linked.LinkedToken);
    }
    CloseHandle(own);
    return primary;
}

std::vector<std::string> PendingRemovals() {
    std::vector<std::string> pairs = ReadPending(), removals;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2)
        if (pairs[i + 1].empty()) removals.push_back(pairs[i].compare(0, 4, "\\??\\") == 0 ? pairs[i].substr(4) : pairs[i]);
    return removals;
}

void ForgetPendingRemovals(const std::string& containing) {
    std::vector<std::string> pairs = ReadPending();
    std::string kept;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        if (pairs[i].find(containing) != std::string::npos) {
            std::string path = pairs[i].substr(pairs[i].compare(0, 4, "\\??\\") == 0 ? 4 : 0);
            if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
            continue;
        }
        kept += pairs[i] + '\0' + pairs[i + 1] + '\0';
    }
    TRegKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, SessionManager, KEY_SET_VALUE)) return;
    if (kept.empty()) {
        key.DeleteValue(PendingValue);
        return;
    }
    kept += '\0';
    RegSetValueExA(key.Handle(), PendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.data()),
                   static_cast<DWORD>(kept.size()));
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string TempDirectory() {
    char buffer[MAX_PATH];
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    return std::string(buffer, n);
}

}  // namespace uninstaller_test

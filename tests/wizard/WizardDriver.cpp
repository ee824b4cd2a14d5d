#include "WizardDriver.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <tlhelp32.h>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace wizard {

namespace {

std::string Convert(const std::string& text, UINT from, UINT to) {
    if (text.empty()) return text;
    int n = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    int m = WideCharToMultiByte(to, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(to, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}

bool SameClass(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

BOOL CALLBACK CollectWindow(HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

// Where each control's window sits in the form's client area (from the form's layout: the
// pages fill the area above the button bar, the right-hand panels of the welcome, finish and
// failure pages start at x = 164, the button bar at y = 296).
struct TSpot {
    const char* Class;
    int X, Y;
};
TSpot SpotOf(TControl c) {
    switch (c) {
    case TControl::Back: return {"Button", 294, 306};
    case TControl::Next: return {"Button", 382, 306};
    case TControl::Cancel: return {"Button", 482, 306};
    case TControl::WelcomeTitle: return {"Edit", 180, 16};
    case TControl::WelcomeText: return {"Edit", 180, 76};
    case TControl::WelcomeHint: return {"Edit", 180, 240};
    case TControl::LicenceExplain: return {"Edit", 32, 24};
    case TControl::LicenceText: return {"Edit", 16, 70};
    case TControl::Agree: return {"Button", 16, 248};
    case TControl::Disagree: return {"Button", 16, 268};
    case TControl::OptionsExplain: return {"Edit", 32, 24};
    case TControl::ChangePath: return {"Button", 24, 76};
    case TControl::Path: return {"Edit", 40, 100};
    case TControl::Browse: return {"Button", 468, 99};
    case TControl::PathCaution: return {"Edit", 40, 130};
    case TControl::SetCurrent: return {"Button", 24, 196};
    case TControl::SetCurrentMovedUp: return {"Button", 24, 76};
    case TControl::FinishText: return {"Edit", 180, 60};
    case TControl::ShowReadme: return {"Button", 180, 200};
    case TControl::OpenSettings: return {"Button", 180, 224};
    case TControl::FailureText: return {"Edit", 180, 60};
    case TControl::GetPlayer: return {"Button", 180, 190};
    case TControl::FailureHint: return {"Edit", 180, 250};
    }
    return {"", -1, -1};
}

const char* ControlName(TControl c) {
    static const char* const names[] = {
        "Back", "Next", "Cancel", "WelcomeTitle", "WelcomeText", "WelcomeHint", "LicenceExplain", "LicenceText",
        "Agree", "Disagree", "OptionsExplain", "ChangePath", "Path", "Browse", "PathCaution", "SetCurrent",
        "SetCurrentMovedUp", "FinishText", "ShowReadme", "OpenSettings", "FailureText", "GetPlayer", "FailureHint"};
    return names[static_cast<int>(c)];
}

struct TFound {
    HWND Window;
    std::string Class;
    POINT At;
};

std::vector<TFound> VisibleControls(HWND form) {
    std::vector<TFound> found;
    for (HWND w : Descendants(form)) {
        if (!IsWindowVisible(w)) continue;
        RECT r;
        GetWindowRect(w, &r);
        POINT p{r.left, r.top};
        ScreenToClient(form, &p);
        found.push_back({w, ClassName(w), p});
    }
    return found;
}

// KESTRIN_SHOTS_DIR when the demo asks for the pictures elsewhere.
std::filesystem::path PagesDir() {
    if (std::getenv("KESTRIN_SHOTS_DIR")) return testing_support::EnvPath("KESTRIN_SHOTS_DIR");
    return testing_support::EnvPath("KESTRIN_BIN_DIR") / "wizard-pages";
}

}  // namespace

int ScaledWait(int ms) {
    char text[16] = {};
    const DWORD n = GetEnvironmentVariableA("KESTRIN_WAIT_SCALE", text, sizeof text);
    const int scale = n > 0 && n < sizeof text ? atoi(text) : 1;
    return scale > 1 && scale <= 100 ? ms * scale : ms;
}

std::string Utf8ToAnsi(const std::string& utf8) { return Convert(utf8, CP_UTF8, CP_ACP); }
std::string AnsiToUtf8(const std::string& ansi) { return Convert(ansi, CP_ACP, CP_UTF8); }

std::vector<std::string> ShownLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::vector<std::string> ShownLinesUtf8(const std::vector<std::string>& utf8Lines) {
    std::vector<std::string> out;
    for (const std::string& l : utf8Lines) out.push_back(Utf8ToAnsi(l));
    return out;
}

std::string ClassName(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string Text(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return "<no answer>";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             5000, &copied))
        return "<no answer>";
    text.resize(copied);
    return text;
}

bool Checked(HWND window) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(window, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
}

void ClickPoint(int x, int y) {
    SetCursorPos(x, y);
    INPUT in[3] = {};
    in[0].type = INPUT_MOUSE;
    in[0].mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in[0].mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].type = in[2].type = INPUT_MOUSE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &in[0], sizeof(INPUT));
    Sleep(80);
    SendInput(1, &in[1], sizeof(INPUT));
    Sleep(40);
    SendInput(1, &in[2], sizeof(INPUT));
    Sleep(150);
}

void PressKey(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Sleep(150);
}

void TypeText(const std::string& ascii) {
    for (char c : ascii) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wScan = in[1].ki.wScan = static_cast<WORD>(static_cast<unsigned char>(c));
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
        Sleep(10);
    }
    Sleep(150);
}

// ---- processes --------------------------------------------------------------------------------

TProcess::TProcess(const std::string& exe, const std::string& arguments) {
    std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    CloseHandle(pi.hThread);
    FHandle = pi.hProcess;
    FId = pi.dwProcessId;
}

TProcess::TProcess(TProcess&& other) noexcept : FHandle(other.FHandle), FId(other.FId) {
    other.FHandle = nullptr;
    other.FId = 0;
}

TProcess& TProcess::operator=(TProcess&& other) noexcept {
    std::swap(FHandle, other.FHandle);
    std::swap(FId, other.FId);
    return *this;
}

TProcess::~TProcess() {
    if (!FHandle) return;
    if (Running()) {
        // A test that failed half-way leaves no installer behind for the next one.
        TerminateProcess(FHandle, 99);
        WaitForSingleObject(FHandle, 5000);
    }
    CloseHandle(FHandle);
}

bool TProcess::Running() const { return FHandle && WaitForSingleObject(FHandle, 0) == WAIT_TIMEOUT; }

int TProcess::Wait(int ms) {
    if (!FHandle || WaitForSingleObject(FHandle, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(FHandle, &code);
    return static_cast<int>(code);
}

TProcess TProcess::Child(int ms) const {
    TProcess child;
    WaitFor(
        [&] {
            HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            if (snapshot == INVALID_HANDLE_VALUE) return false;
            PROCESSENTRY32 entry = {};
            entry.dwSize = sizeof entry;
            for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
                if (entry.th32ParentProcessID != FId || entry.th32ProcessID == FId) continue;
                child.FHandle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE,
                                            entry.th32ProcessID);
                if (child.FHandle) child.FId = entry.th32ProcessID;
                break;
            }
            CloseHandle(snapshot);
            return child.FHandle != nullptr;
        },
        ms);
    return child;
}

std::vector<HWND> TProcess::Windows(const char* className) const {
    std::vector<HWND> all, found;
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND w : all) {
        DWORD id = 0;
        GetWindowThreadProcessId(w, &id);
        if (id == FId && IsWindowVisible(w) && SameClass(ClassName(w), className)) found.push_back(w);
    }
    return found;
}

bool TProcess::HasWindowTitled(const std::string& text) const {
    std::vector<HWND> all;
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND w : all) {
        DWORD id = 0;
        GetWindowThreadProcessId(w, &id);
        if (id == FId && Text(w) == text) return true;
    }
    return false;
}

HWND TProcess::WaitForForm(int ms) const {
    HWND form = nullptr;
    WaitFor(
        [&] {
            for (HWND w : Windows("KestrinWindow")) {
                RECT r;
                GetClientRect(w, &r);
                if (r.right == 580 && r.bottom == 335) form = w;
            }
            return form != nullptr || !Running();
        },
        ms);
    return form;
}

HWND TProcess::WaitForDialog(int ms) const {
    HWND dialog = nullptr;
    WaitFor(
        [&] {
            std::vector<HWND> found = Windows("#32770");
            if (!found.empty()) dialog = found.front();
            return dialog != nullptr || !Running();
        },
        ms);
    return dialog;
}

// ---- the form ---------------------------------------------------------------------------------

const char* PageName(TPage page) {
    switch (page) {
    case TPage::Welcome: return "welcome";
    case TPage::Licence: return "licence";
    case TPage::Options: return "options";
    case TPage::Finish: return "finish";
    case TPage::Failure: return "failure";
    case TPage::Unknown: break;
    }
    return "unknown";
}

HWND TWizard::Find(TControl control) const {
    TSpot spot = SpotOf(control);
    for (const TFound& f : VisibleControls(FForm))
        if (f.At.x == spot.X && f.At.y == spot.Y && SameClass(f.Class, spot.Class)) return f.Window;
    return nullptr;
}

HWND TWizard::Get(TControl control) const {
    HWND w = Find(control);
    EXPECT_NE(w, nullptr) << ControlName(control) << " is not shown; the form has:\n" << Describe();
    return w;
}

bool TWizard::Enabled(TControl control) const {
    HWND w = Get(control);
    return w && IsWindowEnabled(w);
}

bool TWizard::IsChecked(TControl control) const {
    HWND w = Get(control);
    return w && Checked(w);
}

std::string TWizard::TextOf(TControl control) const {
    HWND w = Get(control);
    return w ? Text(w) : std::string();
}

TPage TWizard::Page() const {
    // The failure and finish pages share the place of their first text panel.
    if (Find(TControl::FailureHint)) return TPage::Failure;
    if (Find(TControl::FinishText)) return TPage::Finish;
    if (Find(TControl::WelcomeTitle)) return TPage::Welcome;
    if (Find(TControl::LicenceText)) return TPage::Licence;
    if (Find(TControl::OptionsExplain)) return TPage::Options;
    return TPage::Unknown;
}

bool TWizard::WaitForPage(TPage page, int ms) const {
    return WaitFor(
        [&] {
            if (Page() != page) return false;
            // The page shows before its buttons are set: a message sent to the form is taken
            // only once the handler that switched the page has returned.
            DWORD_PTR result = 0;
            SendMessageTimeoutA(FForm, WM_NULL, 0, 0, SMTO_NORMAL, WaitMs, &result);
            return Page() == page;
        },
        ms);
}

std::string TWizard::Describe() const {
    std::ostringstream out;
    for (const TFound& f : VisibleControls(FForm)) {
        out << "  " << f.Class << " at " << f.At.x << "," << f.At.y << (IsWindowEnabled(f.Window) ? "" : " disabled");
        if (SameClass(f.Class, "Button")) out << (Checked(f.Window) ? " checked" : "");
        out << ": \"" << AnsiToUtf8(Text(f.Window)) << "\"\n";
    }
    // A message box or dialog in front of the form explains many a stuck page.
    std::vector<HWND> all;
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&all));
    DWORD formProcess = 0;
    GetWindowThreadProcessId(FForm, &formProcess);
    for (HWND d : all) {
        DWORD id = 0;
        GetWindowThreadProcessId(d, &id);
        if (id != formProcess || !IsWindowVisible(d) || !SameClass(ClassName(d), "#32770")) continue;
        out << "  dialog \"" << AnsiToUtf8(Text(d)) << "\":";
        for (const std::string& t : DialogTexts(d)) out << " \"" << AnsiToUtf8(t) << "\"";
        out << "\n";
    }
    return out.str();
}

void TWizard::Click(TControl control) const {
    HWND w = Get(control);
    if (!w) return;
    ASSERT_TRUE(IsWindowEnabled(w)) << ControlName(control) << " is disabled: a user could not press it";
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(w, BM_CLICK, 0, 0, SMTO_NORMAL, WaitMs, &result)) << ControlName(control);
}

void TWizard::PostClick(TControl control) const {
    HWND w = Get(control);
    if (!w) return;
    ASSERT_TRUE(IsWindowEnabled(w)) << ControlName(control) << " is disabled: a user could not press it";
    PostMessageA(w, BM_CLICK, 0, 0);
}

void TWizard::SetText(TControl control, const std::string& text) const {
    HWND w = Get(control);
    if (!w) return;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, WaitMs, &result);
}

void TWizard::Activate() const {
    SetForegroundWindow(FForm);
    WaitFor([&] { return GetForegroundWindow() == FForm; }, 3000);
}

POINT TWizard::Centre(TControl control) const {
    RECT r{};
    if (HWND w = Get(control)) GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// ---- pictures and dialogs -----------------------------------------------------------------------

void Screenshot(HWND window, const std::string& name) {
    // Let the page finish painting before its picture is taken.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    // The client area only: with no window manager on the test display nobody draws the frame.
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    std::vector<char> pixels(stride * static_cast<DWORD>(h));
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    const std::filesystem::path target = PagesDir() / (name + ".bmp");
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    std::ofstream out(testing_support::NativePath(target), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

void ForgetScreenshots(const std::string& prefix) {
    const std::filesystem::path stem = PagesDir() / prefix;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(stem.parent_path(), ec)) {
        const std::string file = entry.path().filename().string();
        if (file.rfind(stem.filename().string(), 0) == 0) std::filesystem::remove(entry.path(), ec);
    }
}

void Screenshot(const TWizard& w, const std::string& name) {
    Screenshot(w.Handle(), name);
    // Beside the picture, what the form showed, read back from its windows.
    std::ofstream notes(testing_support::NativePath(PagesDir() / (name + ".txt")), std::ios::binary | std::ios::trunc);
    notes << "page: " << PageName(w.Page()) << "\n" << AnsiToUtf8(w.Describe());
}

std::vector<std::string> DialogTexts(HWND dialog) {
    std::vector<std::string> texts;
    for (HWND w : Descendants(dialog))
        if (SameClass(ClassName(w), "Static") && IsWindowVisible(w)) {
            std::string t = Text(w);
            if (!t.empty()) texts.push_back(t);
        }
    return texts;
}

bool PressDialogButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) return false;
    return PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

std::string SelectedFolder(HWND dialog) {
    HWND tree = nullptr;
    for (HWND w : Descendants(dialog))
        if (SameClass(ClassName(w), WC_TREEVIEWA)) tree = w;
    if (!tree) return "";
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return "";
    // The item record and its text buffer must live in the tree's process.
    DWORD id = 0;
    GetWindowThreadProcessId(tree, &id);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (!process) return "";
    struct TRemote {
        TVITEMA Item;
        char Text[MAX_PATH];
    };
    auto* remote = static_cast<TRemote*>(VirtualAllocEx(process, nullptr, sizeof(TRemote), MEM_COMMIT, PAGE_READWRITE));
    std::string text;
    if (remote) {
        TRemote local = {};
        local.Item.mask = TVIF_TEXT;
        local.Item.hItem = item;
        local.Item.pszText = remote->Text;
        local.Item.cchTextMax = MAX_PATH;
        SIZE_T done = 0;
        if (WriteProcessMemory(process, remote, &local, sizeof local, &done) &&
            SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&remote->Item)) &&
            ReadProcessMemory(process, remote, &local, sizeof local, &done)) {
            local.Text[MAX_PATH - 1] = '\0';
            text = local.Text;
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

}  // namespace wizard

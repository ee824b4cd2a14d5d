// The demo's screensaver: slow aurora curtains over a starry sky, drawn with GDI.
//
//   AuroraDemo.scr /s          full screen, until a key, a mouse button or a mouse move
//   AuroraDemo.scr /p HWND     the preview in that window's client area, until the window goes
//   AuroraDemo.scr /c[:HWND]   the settings: a box says there are none (owned by HWND if given)
//
// Switches take "/" or "-", in any case, with the window as ":N" or " N" (decimal). Exit codes:
// 0 ended normally (also when another full-screen instance already runs); 1 the preview window
// is not a window, or the animation's window could not be made.
#include "AuroraPicture.h"
#include "startup/uDuplicate.h"
#include "startup/uInternationalUtils.h"
#include "win32/uSystemLibrary.h"
#include <windows.h>

namespace {

const wchar_t ClassName[] = L"AuroraDemoSaver";
const UINT_PTR FrameTimer = 1;
const UINT FrameMs = 33;
// How far the pointer may drift before the full-screen run counts it as the user's move.
const int MoveTolerance = 4;

enum class TMode { Settings, Saver, Preview };

struct TArguments {
    TMode Mode = TMode::Settings;
    HWND Window = nullptr;  // the preview's parent, or the settings box's owner
};

const wchar_t* SkipBlanks(const wchar_t* p) {
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

const wchar_t* SkipProgramName(const wchar_t* p) {
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) {}
        return *p ? p + 1 : p;
    }
    while (*p && *p != L' ' && *p != L'\t') ++p;
    return p;
}

// The window number after a switch letter, as ":N" or " N"; null when there is none.
HWND ParseWindow(const wchar_t* p) {
    p = SkipBlanks(*p == L':' ? p + 1 : p);
    UINT_PTR value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        if (value > (UINT_PTR(-1) - 9) / 10) return nullptr;
        value = value * 10 + static_cast<UINT_PTR>(*p - L'0');
    }
    return reinterpret_cast<HWND>(value);
}

TArguments ParseArguments(const wchar_t* commandLine) {
    TArguments args;
    const wchar_t* p = SkipBlanks(SkipProgramName(commandLine));
    if (*p != L'/' && *p != L'-') return args;
    const wchar_t letter = p[1] | 0x20;
    // Unknown switches (the old password switch /a too) get the settings box, as no switch does.
    if (letter == L's') args.Mode = TMode::Saver;
    else if (letter == L'p') args.Mode = TMode::Preview;
    if (letter == L'p' || letter == L'c') args.Window = ParseWindow(p + 2);
    return args;
}

// The off-screen picture a frame is drawn into before one copy to the window.
class TBackBuffer {
public:
    TBackBuffer() = default;
    ~TBackBuffer() { Release(); }
    TBackBuffer(const TBackBuffer&) = delete;
    TBackBuffer& operator=(const TBackBuffer&) = delete;

    // Pixels of that size, kept while the size stays; false when the system gives none.
    bool Fit(HDC target, int width, int height) {
        if (FBitmap && width == FWidth && height == FHeight) return true;
        Release();
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top row first, as the picture is drawn
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        FDC = CreateCompatibleDC(target);
        FBitmap = CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!FDC || !FBitmap || !bits) {
            Release();
            return false;
        }
        FOld = SelectObject(FDC, FBitmap);
        FPixels = static_cast<uint32_t*>(bits);
        FWidth = width;
        FHeight = height;
        return true;
    }
    HDC DC() const { return FDC; }
    uint32_t* Pixels() const { return FPixels; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

private:
    void Release() {
        if (FDC && FOld) SelectObject(FDC, FOld);
        if (FBitmap) DeleteObject(FBitmap);
        if (FDC) DeleteDC(FDC);
        FDC = nullptr;
        FBitmap = nullptr;
        FOld = nullptr;
        FPixels = nullptr;
        FWidth = FHeight = 0;
    }
    HDC FDC = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOld = nullptr;
    uint32_t* FPixels = nullptr;
    int FWidth = 0, FHeight = 0;
};

// The animation's window, full screen or the preview's child; its life is the message loop's.
class TSaverWindow {
public:
    TSaverWindow(TMode mode, HWND parent) : FMode(mode), FParent(parent), FStart(GetTickCount()) {}

    bool Create(HINSTANCE instance) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &TSaverWindow::Proc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconW(instance, L"MAINICON");
        wc.hCursor = FMode == TMode::Preview ? LoadCursorA(nullptr, IDC_ARROW) : nullptr;
        wc.lpszClassName = ClassName;
        if (!RegisterClassW(&wc)) return false;
        if (FMode == TMode::Preview) {
            RECT r;
            GetClientRect(FParent, &r);
            return CreateWindowExW(WS_EX_NOPARENTNOTIFY, ClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                   r.right, r.bottom, FParent, nullptr, instance, this) != nullptr;
        }
        GetCursorPos(&FCursorStart);
        return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, ClassName, L"Aurora Demo", WS_POPUP | WS_VISIBLE,
                               GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                               GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr,
                               nullptr, instance, this) != nullptr;
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<TSaverWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<TSaverWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return self ? self->Handle(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
    }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_CREATE:
            SetTimer(window, FrameTimer, FrameMs, nullptr);
            return 0;
        case WM_TIMER:
            // A preview's parent in another process may go without taking this window along.
            if (FMode == TMode::Preview && !IsWindow(FParent)) DestroyWindow(window);
            else InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_DESTROY:
            KillTimer(window, FrameTimer);
            PostQuitMessage(0);
            return 0;
        }
        if (FMode == TMode::Saver && EndsSaver(window, message, wParam, lParam)) {
            DestroyWindow(window);
            return 0;
        }
        if (FMode == TMode::Saver && message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_SCREENSAVE)
            return 0;  // it is already running
        return DefWindowProcW(window, message, wParam, lParam);
    }

    bool EndsSaver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_XBUTTONDOWN:
            return true;
        case WM_ACTIVATEAPP:
            return wParam == FALSE;
        case WM_MOUSEMOVE: {
            // The system sends one move when the window appears, wherever the pointer is.
            if (!FSeenMove) {
                FSeenMove = true;
                return false;
            }
            POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(window, &p);
            return p.x - FCursorStart.x > MoveTolerance || FCursorStart.x - p.x > MoveTolerance ||
                   p.y - FCursorStart.y > MoveTolerance || FCursorStart.y - p.y > MoveTolerance;
        }
        }
        return false;
    }

    void Paint(HWND window) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT r;
        GetClientRect(window, &r);
        if (r.right > 0 && r.bottom > 0 && FBuffer.Fit(dc, r.right, r.bottom)) {
            DrawAurora(FBuffer.Pixels(), FBuffer.Width(), FBuffer.Height(), (GetTickCount() - FStart) / 1000.0f);
            BitBlt(dc, 0, 0, r.right, r.bottom, FBuffer.DC(), 0, 0, SRCCOPY);
        }
        EndPaint(window, &ps);
    }

    TMode FMode;
    HWND FParent;
    DWORD FStart;
    POINT FCursorStart = {};
    bool FSeenMove = false;
    TBackBuffer FBuffer;
};

// The pointer hidden while the full-screen window shows.
class THiddenCursor {
public:
    THiddenCursor() { ShowCursor(FALSE); }
    ~THiddenCursor() { ShowCursor(TRUE); }
    THiddenCursor(const THiddenCursor&) = delete;
    THiddenCursor& operator=(const THiddenCursor&) = delete;
};

int RunAnimation(HINSTANCE instance, TMode mode, HWND parent) {
    TSaverWindow saver(mode, parent);
    if (!saver.Create(instance)) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

int ShowSettings(HWND owner) {
    const bool japanese = IsJapanese();
    const wchar_t* text = japanese ? L"このスクリーンセーバーには設定項目がありません。"
                                   : L"This screensaver has no settings.";
    const wchar_t* caption = japanese ? L"AuroraDemoスクリーンセーバー" : L"AuroraDemo Screensaver";
    MessageBoxW(owner && IsWindow(owner) ? owner : nullptr, text, caption, MB_OK | MB_ICONINFORMATION);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HardenDllSearchPath();
    const TArguments args = ParseArguments(GetCommandLineW());
    switch (args.Mode) {
    case TMode::Saver: {
        // The mutex named after the demo's GUID: the installer and the uninstaller look for it.
        if (!CheckDuplicate(DEMO_GUID)) return 0;
        THiddenCursor hidden;
        return RunAnimation(instance, TMode::Saver, nullptr);
    }
    case TMode::Preview:
        if (!args.Window || !IsWindow(args.Window)) return 1;
        return RunAnimation(instance, TMode::Preview, args.Window);
    case TMode::Settings:
        break;
    }
    return ShowSettings(args.Window);
}

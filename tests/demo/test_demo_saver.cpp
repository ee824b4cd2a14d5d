// The demo's screensaver under Wine, started as the display settings start it: full screen
// until the user comes back, the preview inside a window of ours, the settings box.
#include "startup/uDuplicate.h"
#include "system/SystemTestSupport.h"
#include "wizard/WizardDriver.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <set>

using wizard::TProcess;

namespace {

const wchar_t SaverClass[] = L"AuroraDemoSaver";

std::string Saver() { return BuildFile("demo/saver/AuroraDemo.scr"); }

std::string Number(HWND window) { return std::to_string(reinterpret_cast<UINT_PTR>(window)); }

// Waits as wizard::WaitFor does, dispatching what is sent to our windows meanwhile: the
// screensaver's windows are children or owned windows of ours.
template <class F> bool PumpUntil(F done, int ms = wizard::WaitMs) {
    return wizard::WaitFor(
        [&] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            return done();
        },
        ms);
}

int ExitCode(TProcess& process) {
    PumpUntil([&] { return !process.Running(); });
    return process.Wait(0);
}

HWND SaverWindow(const TProcess& process) {
    HWND found = nullptr;
    wizard::WaitFor([&] {
        std::vector<HWND> windows = process.Windows("AuroraDemoSaver");
        found = windows.empty() ? nullptr : windows.front();
        return found || !process.Running();
    });
    return found;
}

// A visible top-level window of the test's own, as the display settings' preview box is.
class TTestWindow {
public:
    TTestWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"DemoSaverTestWindow";
        RegisterClassW(&wc);  // fails harmlessly for the second window
        FWindow = CreateWindowExW(0, wc.lpszClassName, L"preview", WS_POPUP | WS_VISIBLE, 100, 100, 152, 112, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    }
    ~TTestWindow() { Destroy(); }
    TTestWindow(const TTestWindow&) = delete;
    TTestWindow& operator=(const TTestWindow&) = delete;
    HWND Handle() const { return FWindow; }
    void Destroy() {
        if (FWindow) DestroyWindow(FWindow);
        FWindow = nullptr;
    }

private:
    HWND FWindow = nullptr;
};

// What the screen shows on a grid over the window's client area.
std::vector<COLORREF> Picture(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            pixels.push_back(GetPixel(screen, r.left + (r.right - r.left) * (2 * x + 1) / 32,
                                      r.top + (r.bottom - r.top) * (2 * y + 1) / 32));
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The animation shows: many colours, and a different picture a little later.
void ExpectAnimation(HWND window) {
    std::vector<COLORREF> first;
    ASSERT_TRUE(PumpUntil([&] {
        first = Picture(window);
        return std::set<COLORREF>(first.begin(), first.end()).size() > 20;
    })) << "the picture is nearly one colour";
    EXPECT_TRUE(PumpUntil([&] { return Picture(window) != first; }, 3000)) << "the picture stands still";
}

bool Japanese() {
    const char* lang = std::getenv("KESTRIN_EXPECT_LANG");
    return lang && std::string(lang) == "ja_JP";
}

}  // namespace

TEST(DemoSaver, FullScreenTopmostOneInstanceUntilAKey) {
    TProcess saver(Saver(), "/s");
    ASSERT_TRUE(saver.Started()) << Saver();
    HWND window = SaverWindow(saver);
    ASSERT_NE(window, nullptr) << "no window; exit code " << saver.Wait(0);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(r.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
    ExpectAnimation(window);
    // The installer and the uninstaller find a running screensaver by this mutex.
    EXPECT_TRUE(MutexExists(DEMO_GUID));

    TProcess second(Saver(), "-S");
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_TRUE(saver.Running());
    EXPECT_EQ(saver.Windows("AuroraDemoSaver").size(), 1u);

    PostMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(saver.Wait(), 0);
    EXPECT_FALSE(MutexExists(DEMO_GUID));
}

TEST(DemoSaver, EndsOnAMoveOfMoreThanAFewPixelsOrAButton) {
    POINT at;
    GetCursorPos(&at);
    {
        TProcess saver(Saver(), "/S");
        HWND window = SaverWindow(saver);
        ASSERT_NE(window, nullptr);
        for (int i = 0; i < 3; ++i) PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(at.x + 3, at.y - 2));
        // Longer than Wine takes to end a program whose window it hid (2 s without a window manager).
        EXPECT_EQ(saver.Wait(5000), -1) << "a jitter of three pixels ended it";
        PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(at.x + 40, at.y + 30));
        EXPECT_EQ(saver.Wait(), 0);
    }
    TProcess saver(Saver(), "/s");
    HWND window = SaverWindow(saver);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
    EXPECT_EQ(saver.Wait(), 0);
}

TEST(DemoSaver, PreviewInTheGivenWindowUntilItGoes) {
    for (const char* form : {"/p ", "-P:"}) {
        SCOPED_TRACE(form);
        TTestWindow parent;
        ASSERT_NE(parent.Handle(), nullptr);
        TProcess saver(Saver(), form + Number(parent.Handle()));
        HWND child = nullptr;
        ASSERT_TRUE(PumpUntil([&] {
            child = FindWindowExW(parent.Handle(), nullptr, SaverClass, nullptr);
            return child && IsWindowVisible(child);
        }));
        DWORD owner = 0;
        GetWindowThreadProcessId(child, &owner);
        EXPECT_EQ(owner, saver.Id());
        RECT inner, outer;
        GetClientRect(child, &inner);
        GetClientRect(parent.Handle(), &outer);
        EXPECT_TRUE(EqualRect(&inner, &outer));
        // Its picture is not read back: Wine does not show a window drawn by another process
        // inside ours. The full-screen test reads the same drawing.
        EXPECT_TRUE(saver.Running());
        parent.Destroy();
        EXPECT_EQ(ExitCode(saver), 0);
    }
    TTestWindow gone;
    const std::string number = Number(gone.Handle());
    gone.Destroy();
    for (const std::string& arguments : {"/p " + number, std::string("/p"), std::string("/p:x")}) {
        TProcess saver(Saver(), arguments);
        EXPECT_EQ(saver.Wait(), 1) << arguments;
    }
}

TEST(DemoSaver, SettingsSayThereAreNone) {
    const std::string text = Japanese() ? "このスクリーンセーバーには設定項目がありません。" : "This screensaver has no settings.";
    const std::string caption = Japanese() ? "AuroraDemoスクリーンセーバー" : "AuroraDemo Screensaver";
    TTestWindow owner;
    // No switch and unknown switches get the settings too.
    for (const std::string& arguments : {std::string(), std::string("/c"), std::string("-C"), std::string("/a"),
                                         "/c:" + Number(owner.Handle())}) {
        SCOPED_TRACE(arguments);
        TProcess saver(Saver(), arguments);
        HWND box = nullptr;
        ASSERT_TRUE(PumpUntil([&] {
            std::vector<HWND> boxes = saver.Windows("#32770");
            box = boxes.empty() ? nullptr : boxes.front();
            return box || !saver.Running();
        }));
        ASSERT_NE(box, nullptr) << "no box; exit code " << saver.Wait(0);
        EXPECT_EQ(wizard::AnsiToUtf8(wizard::Text(box)), caption);
        std::vector<std::string> texts = wizard::DialogTexts(box);
        std::transform(texts.begin(), texts.end(), texts.begin(), wizard::AnsiToUtf8);
        EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << ::testing::PrintToString(texts);
        EXPECT_EQ(GetWindow(box, GW_OWNER), arguments.rfind("/c:", 0) == 0 ? owner.Handle() : nullptr);
        wizard::PressDialogButton(box, IDOK);
        EXPECT_EQ(ExitCode(saver), 0);
    }
}

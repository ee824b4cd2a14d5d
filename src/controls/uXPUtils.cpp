#include "controls/uXPUtils.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include <string>

namespace {

using TOpenThemeData = HTHEME(WINAPI*)(HWND, LPCWSTR);
using TCloseThemeData = HRESULT(WINAPI*)(HTHEME);
using TDrawThemeBackground = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
using TDrawThemeParentBackground = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
using TGetThemeBackgroundContentRect = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, RECT*);
using TDrawThemeText = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*);
using TBoolProc = BOOL(WINAPI*)();

struct TThemeLibrary {
    HMODULE Module = nullptr;
    TOpenThemeData OpenThemeData = nullptr;
    TCloseThemeData CloseThemeData = nullptr;
    TDrawThemeBackground DrawThemeBackground = nullptr;
    TDrawThemeParentBackground DrawThemeParentBackground = nullptr;
    TGetThemeBackgroundContentRect GetThemeBackgroundContentRect = nullptr;
    TDrawThemeText DrawThemeText = nullptr;
    TBoolProc IsThemeActive = nullptr;
    TBoolProc IsAppThemed = nullptr;
};

TThemeLibrary GTheme;
int GInitCount = 0;

template <class T>
void Bind(T& fn, const char* name) { fn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(GTheme.Module, name))); }

std::wstring Widen(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

}  // namespace

void InitializeXPUtils() {
    if (GInitCount++ > 0) return;
    char dir[MAX_PATH];
    UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    // A full path: never a library of that name from the current or program directory.
    std::string path = std::string(dir, n) + "\\uxtheme.dll";
    GTheme.Module = LoadLibraryA(path.c_str());
    if (!GTheme.Module) return;
    Bind(GTheme.OpenThemeData, "OpenThemeData");
    Bind(GTheme.CloseThemeData, "CloseThemeData");
    Bind(GTheme.DrawThemeBackground, "DrawThemeBackground");
    Bind(GTheme.DrawThemeParentBackground, "DrawThemeParentBackground");
    Bind(GTheme.GetThemeBackgroundContentRect, "GetThemeBackgroundContentRect");
    Bind(GTheme.DrawThemeText, "DrawThemeText");
    Bind(GTheme.IsThemeActive, "IsThemeActive");
    Bind(GTheme.IsAppThemed, "IsAppThemed");
    if (!GTheme.OpenThemeData || !GTheme.CloseThemeData || !GTheme.DrawThemeBackground ||
        !GTheme.DrawThemeParentBackground || !GTheme.GetThemeBackgroundContentRect || !GTheme.DrawThemeText ||
        !GTheme.IsThemeActive || !GTheme.IsAppThemed) {
        FreeLibrary(GTheme.Module);
        GTheme = TThemeLibrary();
    }
}

void FinalizeXPUtils() {
    if (GInitCount == 0 || --GInitCount > 0) return;
    if (GTheme.Module) FreeLibrary(GTheme.Module);
    GTheme = TThemeLibrary();
}

bool ThemeLibraryLoaded() { return GTheme.Module != nullptr; }

bool UseThemes() { return GTheme.Module && GTheme.IsAppThemed() && GTheme.IsThemeActive(); }

TThemeData::TThemeData(HWND window, const wchar_t* classes) {
    if (GTheme.Module) FTheme = GTheme.OpenThemeData(window, classes);
}

TThemeData::~TThemeData() {
    if (FTheme) GTheme.CloseThemeData(FTheme);
}

int GetButtonThemeState(TWinControl& control, int part) {
    if (!control.Enabled()) return PBS_DISABLED;
    if (GetCapture() == control.Handle() && GetKeyState(VK_LBUTTON) < 0) return PBS_PRESSED;
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(control.Handle(), &p);
    if (PtInRect(control.ClientRect(), p.x, p.y)) return PBS_HOT;
    if (auto* b = dynamic_cast<TButton*>(&control); b && b->Default()) return PBS_DEFAULTED;
    return PBS_NORMAL;
}

void DrawParentBackground(TWinControl& control, TCanvas& canvas) {
    if (!control.Parent()) return;
    TWinControl* c = &control;
    while (c->Parent() && dynamic_cast<TPanel*>(c->Parent())) c = c->Parent();
    if (GTheme.Module) GTheme.DrawThemeParentBackground(c->Handle(), canvas.Handle(), nullptr);
}

void DrawThemedButton(TWinControl& control, TCanvas& canvas, int part) {
    TThemeData theme(control.Handle(), L"BUTTON");
    RECT r = ToRECT(control.ClientRect());
    DrawParentBackground(control, canvas);
    if (theme.Get()) GTheme.DrawThemeBackground(theme.Get(), canvas.Handle(), part, GetButtonThemeState(control, part), &r, nullptr);
}

void DrawThemedCaption(TWinControl& control, TCanvas& canvas, const TRect& r, int part) {
    TThemeData theme(control.Handle(), L"BUTTON");
    if (TCustomForm* f = control.ParentForm()) canvas.Font().Assign(f->Font());
    int state = GetButtonThemeState(control, part);
    RECT rc = ToRECT(r), content;
    if (!theme.Get()) return;
    // The canvas font must be in the context before the theme draws with it.
    canvas.TextExtent("");
    if (SUCCEEDED(GTheme.GetThemeBackgroundContentRect(theme.Get(), canvas.Handle(), part, state, &rc, &content))) {
        std::wstring text = Widen(control.Caption());
        GTheme.DrawThemeText(theme.Get(), canvas.Handle(), part, state, text.c_str(), static_cast<int>(text.size()),
                             DT_SINGLELINE, 0, &rc);
    }
}

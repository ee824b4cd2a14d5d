#include "controls/uXPUtils.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "base/CodePage.h"
#include "win32/uSystemLibrary.h"
#include <string>

namespace {

using TOpenThemeData = HTHEME(WINAPI*)(HWND, LPCWSTR);
using TCloseThemeData = HRESULT(WINAPI*)(HTHEME);
using TDrawThemeBackground = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
using TDrawThemeParentBackground = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
using TGetThemeBackgroundContentRect = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, RECT*);
using TDrawThemeText = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*);
using TBoolProc = BOOL(WINAPI*)();

struct TThemeFunctions {
    TOpenThemeData OpenThemeData = nullptr;
    TCloseThemeData CloseThemeData = nullptr;
    TDrawThemeBackground DrawThemeBackground = nullptr;
    TDrawThemeParentBackground DrawThemeParentBackground = nullptr;
    TGetThemeBackgroundContentRect GetThemeBackgroundContentRect = nullptr;
    TDrawThemeText DrawThemeText = nullptr;
    TBoolProc IsThemeActive = nullptr;
    TBoolProc IsAppThemed = nullptr;
};

// Loaded by full path from the system directory, never from the program's folder.
TSystemLibrary GThemeLibrary;
TThemeFunctions GTheme;
int GInitCount = 0;


}  // namespace

void InitializeXPUtils() {
    if (GInitCount++ > 0) return;
    if (!GThemeLibrary.Load("uxtheme.dll")) return;
    BindProc(GThemeLibrary.Handle(), GTheme.OpenThemeData, "OpenThemeData");
    BindProc(GThemeLibrary.Handle(), GTheme.CloseThemeData, "CloseThemeData");
    BindProc(GThemeLibrary.Handle(), GTheme.DrawThemeBackground, "DrawThemeBackground");
    BindProc(GThemeLibrary.Handle(), GTheme.DrawThemeParentBackground, "DrawThemeParentBackground");
    BindProc(GThemeLibrary.Handle(), GTheme.GetThemeBackgroundContentRect, "GetThemeBackgroundContentRect");
    BindProc(GThemeLibrary.Handle(), GTheme.DrawThemeText, "DrawThemeText");
    BindProc(GThemeLibrary.Handle(), GTheme.IsThemeActive, "IsThemeActive");
    BindProc(GThemeLibrary.Handle(), GTheme.IsAppThemed, "IsAppThemed");
    if (!GTheme.OpenThemeData || !GTheme.CloseThemeData || !GTheme.DrawThemeBackground ||
        !GTheme.DrawThemeParentBackground || !GTheme.GetThemeBackgroundContentRect || !GTheme.DrawThemeText ||
        !GTheme.IsThemeActive || !GTheme.IsAppThemed) {
        GThemeLibrary.Free();
        GTheme = TThemeFunctions();
    }
}

void FinalizeXPUtils() {
    if (GInitCount == 0 || --GInitCount > 0) return;
    GThemeLibrary.Free();
    GTheme = TThemeFunctions();
}

bool ThemeLibraryLoaded() { return GThemeLibrary.Loaded(); }

bool UseThemes() { return GThemeLibrary.Loaded() && GTheme.IsAppThemed() && GTheme.IsThemeActive(); }

TThemeData::TThemeData(HWND window, const wchar_t* classes) {
    if (GThemeLibrary.Loaded()) FTheme = GTheme.OpenThemeData(window, classes);
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
    if (GThemeLibrary.Loaded()) GTheme.DrawThemeParentBackground(c->Handle(), canvas.Handle(), nullptr);
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
        std::u16string text = AnsiToUtf16(control.Caption());
        GTheme.DrawThemeText(theme.Get(), canvas.Handle(), part, state, reinterpret_cast<LPCWSTR>(text.c_str()), static_cast<int>(text.size()),
                             DT_SINGLELINE, 0, &rc);
    }
}

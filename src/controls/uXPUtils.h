// Visual-style drawing of push buttons through the theme library, which is loaded at run time
// from the system directory by its full path; without it everything draws classically.
#pragma once
#include "framework/Controls.h"
#include <windows.h>

using HTHEME = HANDLE;

// True when the theme library is loaded, the application is themed and a theme is active.
bool UseThemes();
bool ThemeLibraryLoaded();
void InitializeXPUtils();
void FinalizeXPUtils();

enum { BP_PUSHBUTTON = 1 };
enum { PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5 };

int GetButtonThemeState(TWinControl& control, int part);
void DrawParentBackground(TWinControl& control, TCanvas& canvas);
void DrawThemedButton(TWinControl& control, TCanvas& canvas, int part);
void DrawThemedCaption(TWinControl& control, TCanvas& canvas, const TRect& r, int part);

// An open theme, closed when it goes out of scope.
class TThemeData {
public:
    TThemeData(HWND window, const wchar_t* classes);
    ~TThemeData();
    TThemeData(const TThemeData&) = delete;
    TThemeData& operator=(const TThemeData&) = delete;
    HTHEME Get() const { return FTheme; }
private:
    HTHEME FTheme = nullptr;
};

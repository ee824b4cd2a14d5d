#include "controls/uAltFixOnVista.h"
#include "controls/uXPUtils.h"
#include "framework/Forms.h"
#include "win32/uWindowsVersion.h"

namespace {
HHOOK GHook = nullptr;
int GInitCount = 0;

LRESULT CALLBACK AltFixHook(int code, WPARAM w, LPARAM l) {
    if (code >= 0) {
        auto* cwp = reinterpret_cast<const CWPSTRUCT*>(l);
        if (cwp->message == WM_UPDATEUISTATE && UseThemes()) {
            for (int i = 0; i < Screen->FormCount(); ++i) {
                TCustomForm* f = Screen->Forms(i);
                if (f->HandleAllocated() && f->Handle() == cwp->hwnd) {
                    InvalidateTree(*f);
                    break;
                }
            }
        }
    }
    return CallNextHookEx(GHook, code, w, l);
}
}  // namespace

void InvalidateTree(TWinControl& control) {
    for (int i = 0; i < control.ControlCount(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(control.Controls(i))) InvalidateTree(*w);
    control.Invalidate();
}

bool AltFixHookInstalled() { return GHook != nullptr; }

void InitializeAltFixOnVista() {
    if (GInitCount++ > 0) return;
    if (CheckWin32Version(6, 0)) GHook = SetWindowsHookExA(WH_CALLWNDPROC, AltFixHook, nullptr, GetCurrentThreadId());
}

void FinalizeAltFixOnVista() {
    if (GInitCount == 0 || --GInitCount > 0) return;
    if (GHook) UnhookWindowsHookEx(GHook);
    GHook = nullptr;
}

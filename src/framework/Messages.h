// The framework's own control messages (CM_) and the notifications a parent reflects back to
// the control they concern (CN_: the platform message plus CN_BASE).
#pragma once
#include <windows.h>

enum : UINT {
    CM_BASE = 0xB000,
    CM_ACTIVATE = CM_BASE + 0, CM_VISIBLECHANGED = CM_BASE + 7, CM_PARENTFONTCHANGED = CM_BASE + 8,
    CM_PARENTCOLORCHANGED = CM_BASE + 9, CM_ENABLEDCHANGED = CM_BASE + 12, CM_COLORCHANGED = CM_BASE + 13,
    CM_FONTCHANGED = CM_BASE + 14, CM_TEXTCHANGED = CM_BASE + 18, CM_MOUSEENTER = CM_BASE + 19,
    CM_MOUSELEAVE = CM_BASE + 20,
    CN_BASE = 0xBC00,
    CN_DRAWITEM = CN_BASE + WM_DRAWITEM, CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM,
    CN_COMMAND = CN_BASE + WM_COMMAND, CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
    CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN, CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
};

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

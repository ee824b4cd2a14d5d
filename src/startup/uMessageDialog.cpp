#include "startup/uMessageDialog.h"
#include "win32/uModule.h"

UINT MsgBoxStyle(TMsgDlgType type, TMsgDlgButtons buttons, UINT extraStyle) {
    auto has = [buttons](TMsgDlgBtn b) { return (buttons & MsgDlgButton(b)) != 0; };
    UINT style = MB_OK;
    if (has(mbOK) && has(mbCancel)) style = MB_OKCANCEL;
    if (has(mbRetry) && has(mbCancel)) style = MB_RETRYCANCEL;
    if (has(mbAbort) && has(mbRetry) && has(mbIgnore)) style = MB_ABORTRETRYIGNORE;
    if (has(mbYes) && has(mbNo)) style = has(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    UINT icon = MB_ICONINFORMATION;
    switch (type) {
        case mtWarning: icon = MB_ICONWARNING; break;
        case mtError: icon = MB_ICONERROR; break;
        case mtConfirmation: icon = MB_ICONQUESTION; break;
        case mtInformation:
        case mtCustom: icon = MB_ICONINFORMATION; break;
    }
    return style | extraStyle | icon | MB_SETFOREGROUND | MB_TOPMOST;
}

int ModalResultOf(int result) {
    switch (result) {
        case IDOK: return mrOk;
        case IDCANCEL: return mrCancel;
        case IDABORT: return mrAbort;
        case IDRETRY: return mrRetry;
        case IDIGNORE: return mrIgnore;
        case IDYES: return mrYes;
        case IDNO: return mrNo;
        case 10: return mrRetry;   // IDTRYAGAIN
        case 11: return mrIgnore;  // IDCONTINUE
        default: return mrNone;
    }
}

int MsgBox(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, UINT extraStyle) {
    return MsgBox(text, ApplicationTitle(), type, buttons, extraStyle);
}

int MsgBox(const std::string& text, const std::string& caption, TMsgDlgType type, TMsgDlgButtons buttons,
           UINT extraStyle) {
    // The active window of this thread is the active form; none at start-up.
    HWND owner = GetActiveWindow();
    return ModalResultOf(MessageBoxA(owner, text.c_str(), caption.c_str(), MsgBoxStyle(type, buttons, extraStyle)));
}

void ErrorBox(const std::string& text) { MsgBox(text, mtError, MsgDlgButton(mbOK), 0); }

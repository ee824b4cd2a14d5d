// The program's message box.
#pragma once
#include "framework/Types.h"
#include <windows.h>
#include <string>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons MsgDlgButton(TMsgDlgBtn b) { return 1u << b; }


// The MessageBoxA style and the modal result rules, apart so they can be checked.
UINT MsgBoxStyle(TMsgDlgType type, TMsgDlgButtons buttons, UINT extraStyle);
int ModalResultOf(int messageBoxResult);

int MsgBox(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, UINT extraStyle);
// The same under a caption of the caller's instead of the application title.
int MsgBox(const std::string& text, const std::string& caption, TMsgDlgType type, TMsgDlgButtons buttons,
           UINT extraStyle);
void ErrorBox(const std::string& text);

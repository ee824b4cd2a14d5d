// The program's message box.
#pragma once
#include <windows.h>
#include <string>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons MsgDlgButton(TMsgDlgBtn b) { return 1u << b; }

// Modal results.
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

// The MessageBoxA style and the modal result rules, apart so they can be checked.
UINT MsgBoxStyle(TMsgDlgType type, TMsgDlgButtons buttons, UINT extraStyle);
int ModalResultOf(int messageBoxResult);
// The default application title: the executable's name without directory and extension,
// the first character as it is, the rest in lower case.
std::string ApplicationTitle();
std::string TitleFromExeName(const std::string& exePath);

int MsgBox(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, UINT extraStyle);
// The same under a caption of the caller's instead of the application title.
int MsgBox(const std::string& text, const std::string& caption, TMsgDlgType type, TMsgDlgButtons buttons,
           UINT extraStyle);
void ErrorBox(const std::string& text);

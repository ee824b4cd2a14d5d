// The wizard's part of the installation: the choices from its controls, the notifier while it
// runs, the error box and the failure page when it fails; then the finish actions.
#include "wizard/uMain.h"
#include "wizard/uInstallProgress.h"
#include "container/uInstallerContract.h"
#include "controls/uFileEmbedder.h"
#include "framework/StdCtrls.h"
#include "startup/uInstallerData.h"
#include "startup/uMessageDialog.h"
#include <shellapi.h>

namespace {
const char* const DisplaySettingsCommand = "rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1";
}

bool TfrmMain::Install() {
    TInstallJob job{FSettings, FData.Payload, embedderUninstaller->EmbeddedData(),
                    FSettings.ScrName + SDisplayNameSuffix, edtPage3Path->GetText(),
                    chbxPage3SetScreenSaver->Checked(), IsRunAsAdmin() ? FOriginalUser : std::string(), &FLog};
    const TInstallResult result = InstallShowingProgress(job, this, this);
    FReadmePath = result.ReadmePath;
    FScrPath = result.ScrPath;
    FScreenSaverSet = result.ScreenSaverSet;
    chbxPage4ShowReadMe->SetVisible(result.ReadmeWritten);
    switch (result.Outcome) {
    case TInstallOutcome::Installed: return true;
    case TInstallOutcome::DirectoryMissing: {
        std::string text;
        FormatSinglePattern(SDirectoryMissing, result.Directory, text);
        ShowFailure(text, ecInstallFailed);
        return false;
    }
    case TInstallOutcome::WriteFailed: break;
    }
    ErrorBox(SWriteFailure);
    return false;
}

void TfrmMain::RunFinishActions() {
    if (chbxPage4OpenDialog->Checked()) WinExec(DisplaySettingsCommand, SW_HIDE);
    if (chbxPage4ShowReadMe->Checked() && chbxPage4ShowReadMe->Visible())
        ShellExecuteA(Handle(), "open", FReadmePath.c_str(), nullptr, nullptr, SW_SHOW);
}

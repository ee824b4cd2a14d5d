// The installer's program entry: the start of the units in their order, the decision between
// relaunch, refusal and the wizard, and the end of the units in reverse order.
#include "controls/uControls.h"
#include "framework/Forms.h"
#include "startup/uSecurityUtils.h"
#include "startup/uStartup.h"
#include "system/uPathUtils.h"
#include "win32/uSystemLibrary.h"
#include "win32/uModule.h"
#include "wizard/uInstallerData.h"
#include "wizard/uMain.h"
#include <windows.h>

namespace {

int RunWizard() {
    // The block is read and its payload digested on a second core while the window is built.
    TInstallerData data(ModuleFileName());
    auto* form = new TfrmMain(Application, data);
    Application->SetMainForm(form);
    Application->Run();
    int code = form->ExitCode();
    delete form;
    return code;
}

int Main() {
    struct TSecurityEnd {
        ~TSecurityEnd() { UnbindSecurityFunctions(); }
    } securityEnd;
    LoadJapaneseMessages();
    // The player-control check creates a COM object: COM must be initialised for the whole run.
    TComInitialization com;
    RegisterControlClasses();
    InitializeControlUnits();
    struct TUnitEnd {
        ~TUnitEnd() { FinalizeControlUnits(); }
    } unitEnd;
    TSystemStartupEnvironment environment;
    DWORD elevatedCode = 0;
    switch (DecideStartup(environment, elevatedCode)) {
    case TStartupOutcome::Relaunched: return static_cast<int>(elevatedCode);
    case TStartupOutcome::RelaunchFailed:
    case TStartupOutcome::Refused: return ecNoAdminRights;
    case TStartupOutcome::Wizard: break;
    }
    return RunWizard();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // First thing: no library may come from the folder the installer was started from.
    HardenDllSearchPath();
    try {
        return Main();
    } catch (const std::exception& e) {
        MessageBoxA(nullptr, e.what(), "Installer", MB_OK | MB_ICONERROR);
        return ecInstallFailed;
    }
}

// The installer's program entry: the start of the units in their order, the decision between
// relaunch, refusal and the wizard, and the end of the units in reverse order.
#include "controls/uControls.h"
#include "framework/Forms.h"
#include "startup/uSecurityUtils.h"
#include "startup/uStartup.h"
#include "system/uPathUtils.h"
#include "win32/uSystemLibrary.h"
#include "win32/uModule.h"
#include "container/uInstallerContract.h"
#include "startup/uInstallerData.h"
#include "wizard/uMain.h"
#include "wizard/uSilentInstall.h"
#include <windows.h>

// The classes of the wizard's components (made from its form by the build).
void RegisterFormClasses();

namespace {

int RunWizard(TInstallerData& data, bool running, const TInstallerSwitches& switches) {
    auto* form = new TfrmMain(Application, data, running, switches);
    Application->SetMainForm(form);
    Application->Run();
    int code = form->ExitCode();
    delete form;
    return code;
}

int Run(TInstallerData& data) {
    const TInstallerSettings& settings = data.Settings();
    const TInstallerSwitches switches = SwitchesOfCommandLine(GetCommandLineA());
    const bool running = ScreensaverRunning(settings.Guid);
    // The payload is digested on a second core while the window is built.
    data.ReadPayload();
    // The silent switch opens no window at all, whatever happens: its exit code says it.
    if (switches.Silent) return running ? ecRunning : InstallSilently(data, switches, false);
    // A silent block installs without the wizard, unless its screensaver runs: that shows the
    // wizard's failure page.
    if (settings.Silent && !running) return InstallSilently(data, switches, true);
    return RunWizard(data, running, switches);
}

int Main() {
    // The block's items are read meanwhile; the decision waits for them, the payload for the wizard.
    TInstallerData data(ModuleFileName());
    struct TSecurityEnd {
        ~TSecurityEnd() { UnbindSecurityFunctions(); }
    } securityEnd;
    LoadMessages();
    // The player-control check creates a COM object: COM must be initialised for the whole run.
    TComInitialization com;
    RegisterFormClasses();
    InitializeControlUnits();
    struct TUnitEnd {
        ~TUnitEnd() { FinalizeControlUnits(); }
    } unitEnd;
    TSystemStartupEnvironment environment(data);
    DWORD elevatedCode = 0;
    switch (DecideStartup(environment, elevatedCode)) {
    case TStartupOutcome::Relaunched: return static_cast<int>(elevatedCode);
    case TStartupOutcome::RelaunchFailed:
    case TStartupOutcome::Refused: return ecNoAdminRights;
    case TStartupOutcome::Wizard: break;
    }
    return Run(data);
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

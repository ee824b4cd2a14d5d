// The installer's program entry: the start of the units in their order, the decision between
// relaunch, refusal and the wizard, and the end of the units in reverse order.
#include "controls/uControls.h"
#include "framework/Forms.h"
#include "startup/uSecurityUtils.h"
#include "startup/uStartup.h"
#include "system/uPathUtils.h"
#include "win32/uSystemLibrary.h"
#include "win32/uModule.h"
#include "base/TextLog.h"
#include "container/uInstallerContract.h"
#include "startup/uInstallerData.h"
#include "wizard/uMain.h"
#include "wizard/uSilentInstall.h"
#include <functional>
#include <windows.h>

// The classes of the wizard's components (made from its form by the build).
void RegisterFormClasses();

namespace {

int RunWizard(TInstallerData& data, bool running, const TInstallerSwitches& switches, TTextLog& log) {
    auto* form = new TfrmMain(Application, data, running, switches, log);
    Application->SetMainForm(form);
    Application->Run();
    int code = form->ExitCode();
    delete form;
    return code;
}

const char* YesNo(bool b) { return b ? "yes" : "no"; }

int Run(TInstallerData& data, const TInstallerSwitches& switches, TTextLog& log) {
    const TInstallerSettings& settings = data.Settings();
    log.Line("screensaver: " + settings.ScrName + ", identifier " + settings.Guid);
    log.Line(std::string("settings: silent ") + YesNo(settings.Silent) + ", directory " +
             (settings.InstallPath.empty() ? "the Windows directory" : settings.InstallPath) + ", licence page " +
             YesNo(!settings.Eula.empty()) + ", readme " + YesNo(!settings.Readme.empty()) + ", always made current " +
             YesNo(settings.ForceSet) + (settings.Version.empty() ? "" : ", version " + settings.Version));
    const bool running = ScreensaverRunning(settings.Guid);
    log.Line(std::string("check: the screensaver is running: ") + YesNo(running));
    // The payload is digested on a second core while the window is built.
    data.ReadPayload();
    // The silent switch opens no window at all, whatever happens: its exit code says it.
    if (switches.Silent) return running ? ecRunning : InstallSilently(data, switches, false, log);
    // A silent block installs without the wizard, unless its screensaver runs: that shows the
    // wizard's failure page.
    if (settings.Silent && !running) return InstallSilently(data, switches, true, log);
    return RunWizard(data, running, switches, log);
}

// The run with its log when "/LOG=" asks for one: the command line first, the exit code last.
int Logged(const TInstallerSwitches& switches, const std::function<int(TTextLog&)>& run) {
    TTextLog log;
    if (!switches.LogFile.empty()) log = TTextLog(switches.LogFile, GetACP());
    log.Line(std::string("command line: ") + GetCommandLineA());
    for (const std::string& ignored : switches.Ignored) log.Line("ignored: " + ignored);
    const int code = run(log);
    log.Line("exit code " + std::to_string(code));
    return code;
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
    const TInstallerSwitches switches = SwitchesOfCommandLine(GetCommandLineA());
    switch (DecideStartup(environment, elevatedCode)) {
    case TStartupOutcome::Relaunched: return static_cast<int>(elevatedCode);  // which wrote the log
    case TStartupOutcome::RelaunchFailed:
    case TStartupOutcome::Refused:
        return Logged(switches, [](TTextLog& log) {
            log.Line("failed: administrator rights are missing, or the elevation was declined");
            return int(ecNoAdminRights);
        });
    case TStartupOutcome::Wizard: break;
    }
    return Logged(switches, [&](TTextLog& log) { return Run(data, switches, log); });
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

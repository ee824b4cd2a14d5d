#include "wizard/uSilentInstall.h"
#include "wizard/uInstallProgress.h"
#include "wizard/uMain.h"
#include "container/uInstallerContract.h"
#include "controls/uFileEmbedder.h"
#include "framework/FormResource.h"
#include "startup/uInstallerData.h"
#include "startup/uMessageDialog.h"
#include "startup/uStartup.h"
#include "win32/uModule.h"

namespace {

// The uninstaller that the form resource carries, taken from it without building the form.
void LoadUninstaller(TFileEmbedder& embedder) {
    const void* data = nullptr;
    size_t size = 0;
    if (!FindModuleResource(TfrmMain::StaticClassName(), data, size))
        throw EResNotFound(std::string("Resource ") + TfrmMain::StaticClassName() + " not found");
    const TFormObject form = FormFromBinary(data, size);
    const TFormObject* object = form.FindObject("embedderUninstaller");
    if (!object) throw EResNotFound("Component embedderUninstaller not found");
    ReadComponentProperties(embedder, *object, nullptr);
}

}  // namespace

int InstallSilently(TInstallerData& data, const TInstallerSwitches& switches, bool showProgress) {
    const TInstallerSettings& settings = data.Settings();
    data.Wait();
    // Damaged data or a name that would write outside the directory installs nothing: a silent
    // run must not put a corrupt screensaver in place unseen.
    if (!IsValidScrName(settings.ScrName, GetACP()) || !data.Check.Ok()) return ecCheckFailed;
    bool fixed = false;
    std::string directory = InstallationDirectory(settings, fixed);
    // The command line's directory wins; a relative one, or one that cannot be made, is refused.
    if (switches.HasDirectory && !DirectoryFromSwitch(switches.Directory, directory)) return ecInstallFailed;
    TFileEmbedder uninstaller(nullptr);
    LoadUninstaller(uninstaller);
    const TInstallJob job{settings, data.Payload, uninstaller.EmbeddedData(), settings.ScrName + SDisplayNameSuffix,
                          directory, true, IsRunAsAdmin() ? ParamStr(2) : std::string()};
    const TInstallResult result =
        showProgress ? InstallShowingProgress(job, Application, nullptr) : Install(job, [] {});
    switch (result.Outcome) {
    case TInstallOutcome::Installed: return ecInstalled;
    case TInstallOutcome::WriteFailed:
        if (showProgress) ErrorBox(SWriteFailure);
        break;
    case TInstallOutcome::DirectoryMissing: break;
    }
    return ecInstallFailed;
}

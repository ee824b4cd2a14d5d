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

int InstallSilently(TInstallerData& data) {
    const TInstallerSettings& settings = data.Settings();
    data.Wait();
    // Damaged data or a name that would write outside the directory installs nothing: a silent
    // run must not put a corrupt screensaver in place unseen.
    if (!IsValidScrName(settings.ScrName, GetACP()) || !data.Check.Ok()) return ecCheckFailed;
    TFileEmbedder uninstaller(nullptr);
    LoadUninstaller(uninstaller);
    bool fixed = false;
    const TInstallJob job{settings, data.Payload, uninstaller.EmbeddedData(), settings.ScrName + SDisplayNameSuffix,
                          InstallationDirectory(settings, fixed), true,
                          IsRunAsAdmin() ? ParamStr(2) : std::string()};
    const TInstallResult result = InstallShowingProgress(job, Application, nullptr);
    switch (result.Outcome) {
    case TInstallOutcome::Installed: return ecInstalled;
    case TInstallOutcome::WriteFailed: ErrorBox(SWriteFailure); break;
    case TInstallOutcome::DirectoryMissing: break;
    }
    return ecInstallFailed;
}

#include "wizard/uSilentInstall.h"
#include "base/TextLog.h"
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

int InstallSilently(TInstallerData& data, const TInstallerSwitches& switches, bool showProgress, TTextLog& log) {
    const TInstallerSettings& settings = data.Settings();
    data.Wait();
    const bool validName = IsValidScrName(settings.ScrName, GetACP());
    log.Line(std::string("check: the screensaver's name is a plain file name: ") + (validName ? "yes" : "no"));
    log.Line(std::string("check: the screensaver's data is intact: ") + (data.Check.Ok() ? "yes" : "no") + " (" +
             std::to_string(data.Check.Length) + " bytes digested)");
    // Damaged data or a name that would write outside the directory installs nothing: a silent
    // run must not put a corrupt screensaver in place unseen.
    if (!validName || !data.Check.Ok()) return ecCheckFailed;
    // The command line's directory wins (the block's is then not made); a relative one, or one
    // that cannot be made, is refused.
    bool fixed = false;
    std::string directory;
    if (switches.HasDirectory ? !DirectoryFromSwitch(switches.Directory, directory)
                              : (directory = InstallationDirectory(settings, fixed)).empty()) {
        log.Line("failed: the directory \"" + switches.Directory + "\" is relative or cannot be made");
        return ecInstallFailed;
    }
    TFileEmbedder uninstaller(nullptr);
    LoadUninstaller(uninstaller);
    const TInstallJob job{settings,  data.Payload, uninstaller.EmbeddedData(), settings.ScrName + SDisplayNameSuffix,
                          directory, true,         IsRunAsAdmin() ? ParamStr(2) : std::string(), &log};
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

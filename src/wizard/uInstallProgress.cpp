#include "wizard/uInstallProgress.h"
#include "wizard/uMain.h"
#include "controls/uNotifier.h"
#include <memory>

TInstallResult InstallShowingProgress(const TInstallJob& job, TComponent* owner, TControl* over) {
    // Gone when this returns: before any error box, and the wizard is enabled again.
    auto notifier = std::make_unique<TNotifier>(owner);
    notifier->SetShowProgressBar(false);
    notifier->SetCanCancel(false);
    notifier->SetCaption("");
    notifier->SetMsg(SInstalling);
    return Install(job, [&] {
        if (!notifier->Showing()) notifier->ShowOver(over);  // the directory is there: writing starts
        Application->ProcessMessages();
    });
}

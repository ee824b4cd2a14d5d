// The installation as the user sees it run: the notifier "Now installing..." from the moment the
// directory is found until the files are written, over the wizard or centred on the screen.
#pragma once
#include "wizard/uInstallation.h"

class TComponent;
class TControl;

// `owner` owns the notifier (the wizard is disabled while it shows); `over` is where it shows,
// or none for the centre of the screen.
TInstallResult InstallShowingProgress(const TInstallJob& job, TComponent* owner, TControl* over);

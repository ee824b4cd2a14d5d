// A silent run: the installation without the wizard. With `showProgress` (the block's silent
// mode) the notifier shows while it runs, and the error box when a file cannot be written; without
// it (the silent switch) no window at all.
#pragma once

class TInstallerData;
class TTextLog;
struct TInstallerSwitches;

// The exit code of the run; `log` hears the checks, what is written and every failure.
int InstallSilently(TInstallerData& data, const TInstallerSwitches& switches, bool showProgress, TTextLog& log);

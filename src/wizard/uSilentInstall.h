// A silent run: the installation without the wizard. Only the notifier shows while it runs, and
// the error box when a file cannot be written.
#pragma once

class TInstallerData;

// The exit code of the run.
int InstallSilently(TInstallerData& data);

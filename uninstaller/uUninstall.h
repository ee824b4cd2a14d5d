// The uninstaller's decisions: who it is, what its command line asks, whether it has the rights
// it needs, and the removal of what the installer wrote.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

// The exit codes, which deployment tools read.
enum TUninstallExit : int {
    ueRemoved = 0,
    ueDeclined = 1,  // the user answered No
    ueRunning = 2,   // the screensaver runs
    uePartly = 3,    // something stayed; a later run finishes the job
    ueNoRights = 4,  // administrator rights refused
    ueDamaged = 5,   // no data block, or no identifier in it
};

struct TArguments {
    bool AsAdmin = false;  // the elevated relaunch: "/AsAdmin", then the starting user's account name
    std::string Account;
    bool Silent = false;   // "/S" (any case): no question, no message
    std::string LogFile;   // "/LOG=FILE" (any case): a log of the run, in UTF-8
    bool Cleanup = false;  // the temporary copy: "/Cleanup", a process handle, the original's path
    uintptr_t WaitHandle = 0;
    std::string Original;
};
TArguments ParseArguments(const std::string& commandLine);
// The relaunch's parameters: the account name as the installer passes it, the silent switch and
// the log.
std::string ElevatedParameters(const std::string& accountName, bool silent, const std::string& logFile = std::string());

// An installation as the uninstaller's own path tells it: its directory and the name before the
// uninstaller's suffix.
struct TInstallation {
    std::string Dir;  // ends with "\"
    std::string Name;
    std::string Uninstaller;
    std::string ScrPath() const;
    std::string TxtPath() const;
    std::string UninstallKey() const;
};
// False when the file name does not end with the uninstaller's suffix (any case) behind a
// non-empty name.
bool InstallationFromPath(const std::string& exePath, TInstallation& installation);

// The identifier item of an executable's own block; empty when there is none or the block is damaged.
std::string ReadGuid(const std::string& exePath);

// Whether a command line (an UninstallString) starts the given program: quoted or not, short
// or long form, any case, with or without arguments behind it.
bool CommandNamesProgram(const std::string& command, const std::string& program);

// What the start needs from the system, so that every path can be driven by a test.
class TRightsSystem {
public:
    virtual ~TRightsSystem() = default;
    virtual unsigned WindowsMajorVersion() = 0;
    virtual bool IsElevated() = 0;
    virtual bool GetCurrentUserAccount(std::string& domain, std::string& accountName) = 0;
    virtual bool RunAsAdminAndWait(const std::string& exe, const std::string& parameters, DWORD& exitCode) = 0;
};

class TSystemRights : public TRightsSystem {
public:
    unsigned WindowsMajorVersion() override;
    bool IsElevated() override;
    bool GetCurrentUserAccount(std::string& domain, std::string& accountName) override;
    bool RunAsAdminAndWait(const std::string& exe, const std::string& parameters, DWORD& exitCode) override;
};

struct TRights {
    enum TOutcome { Granted, Relaunched, Refused } Outcome = Refused;
    std::string Account;  // Granted: whose screensaver setting to undo; empty for the current user
    DWORD ExitCode = 0;   // Relaunched: the elevated instance's
};
// Already elevated: go on. Otherwise, on 6.0 and later, relaunch elevated with the starting
// user's name and wait for that instance; before 6.0 there is nothing to ask for.
TRights DecideRights(const TArguments& args, const std::string& exePath, TRightsSystem& system);

// Removes the files, the screensaver setting of the account (empty: the current user) when it
// names this screensaver, and the Uninstall key when it names this uninstaller and the files are
// gone. Returns what stayed, one item a line; empty when the removal is complete.
std::vector<std::string> RemoveInstallation(const TInstallation& installation, const std::string& accountName);

// Deletes a file, read-only or not; true when it is gone (or was never there).
bool RemoveIfPresent(const std::string& path);

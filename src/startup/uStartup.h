// The decision of the program entry: relaunch elevated, refuse, or run the wizard.
#pragma once
#include <windows.h>
#include <string>

// The message for a missing administrator right, in the system code page.
std::string AdminRequiredMessage(bool japanese);

// The parameters of the elevated relaunch. The account name is quoted so that a name with
// blanks arrives whole as the second argument.
std::string RelaunchParameters(const std::string& accountName);

// The command-line argument at index (0 is the program), split at blanks, double quotes
// grouping and removed; empty past the end.
std::string ParamStr(const std::string& commandLine, int index);
std::string ParamStr(int index);
int ParamCount(const std::string& commandLine);

// What the entry needs from the system, so that every path can be driven by a test.
class TStartupEnvironment {
public:
    virtual ~TStartupEnvironment() = default;
    virtual unsigned WindowsMajorVersion() = 0;
    virtual std::string FirstArgument() = 0;
    virtual std::string CommandLine() = 0;  // the whole line, the program first
    virtual std::string ExePath() = 0;
    virtual bool IsJapanese() = 0;
    // Whether the program's own block asks for administrator rights; true when absent, empty or unreadable.
    virtual bool ReadCheckAdmin() = 0;
    virtual bool IsAdministrator() = 0;
    virtual bool GetCurrentUserAccount(std::string& domain, std::string& accountName) = 0;
    virtual bool RunAsAdmin(const std::string& executable, const std::string& parameters) = 0;
    virtual void ErrorBox(const std::string& text) = 0;
    // Whether the program's own block asks for a silent installation; false when absent or unreadable.
    virtual bool ReadSilent() = 0;
    // Starts the elevated instance and waits for it, giving its exit code.
    virtual bool RunAsAdminAndWait(const std::string& executable, const std::string& parameters, DWORD& exitCode) = 0;
};

class TInstallerData;

// The real system, and the settings of the program's own data block.
class TSystemStartupEnvironment : public TStartupEnvironment {
public:
    explicit TSystemStartupEnvironment(TInstallerData& data) : FData(data) {}
    unsigned WindowsMajorVersion() override;
    std::string FirstArgument() override;
    std::string CommandLine() override;
    std::string ExePath() override;
    bool IsJapanese() override;
    bool ReadCheckAdmin() override;
    bool IsAdministrator() override;
    bool GetCurrentUserAccount(std::string& domain, std::string& accountName) override;
    bool RunAsAdmin(const std::string& executable, const std::string& parameters) override;
    void ErrorBox(const std::string& text) override;
    bool ReadSilent() override;
    bool RunAsAdminAndWait(const std::string& executable, const std::string& parameters, DWORD& exitCode) override;

private:
    TInstallerData& FData;
};

enum class TStartupOutcome {
    Relaunched,      // the elevated instance was started; this one ends
    RelaunchFailed,  // the account lookup or the start failed (or was declined); the message was shown
    Refused,     // administrator rights required and missing; the message was shown
    Wizard,      // go on and create the form
};

// No argument, or only the installer's switches, on 6.0 and later: relaunch elevated, the switches
// passed on unchanged. A silent installation's first instance (the block's or the switch's) waits
// for the elevated one, so that a deployment tool learns the real outcome: its exit code is then in
// `relaunchExitCode` (0 otherwise). With the silent switch no message box is shown.
TStartupOutcome DecideStartup(TStartupEnvironment& env, DWORD& relaunchExitCode);

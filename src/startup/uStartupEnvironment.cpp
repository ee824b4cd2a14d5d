// The real system behind the start-up decision; an object of its own, so that a program that
// only splits its command line does not link the installer's data block.
#include "startup/uAdministrator.h"
#include "startup/uInstallerData.h"
#include "startup/uInternationalUtils.h"
#include "startup/uMessageDialog.h"
#include "startup/uSecurityUtils.h"
#include "startup/uStartup.h"
#include "win32/uModule.h"
#include "win32/uWindowsVersion.h"

unsigned TSystemStartupEnvironment::WindowsMajorVersion() { return WindowsVersion().Major; }
std::string TSystemStartupEnvironment::FirstArgument() { return ParamStr(1); }
std::string TSystemStartupEnvironment::CommandLine() { return GetCommandLineA(); }
std::string TSystemStartupEnvironment::ExePath() { return ModuleFileName(); }
bool TSystemStartupEnvironment::IsJapanese() { return ::IsJapanese(); }
bool TSystemStartupEnvironment::ReadCheckAdmin() { return FData.Settings().CheckAdmin; }
bool TSystemStartupEnvironment::IsAdministrator() { return ::IsAdministrator(); }
bool TSystemStartupEnvironment::GetCurrentUserAccount(std::string& domain, std::string& accountName) {
    return ::GetCurrentUserAccount(domain, accountName);
}
bool TSystemStartupEnvironment::RunAsAdmin(const std::string& executable, const std::string& parameters) {
    return ::RunAsAdmin(executable, parameters);
}
void TSystemStartupEnvironment::ErrorBox(const std::string& text) { ::ErrorBox(text); }
bool TSystemStartupEnvironment::ReadSilent() { return FData.Settings().Silent; }
bool TSystemStartupEnvironment::RunAsAdminAndWait(const std::string& executable, const std::string& parameters,
                                                  DWORD& exitCode) {
    return ::RunAsAdminAndWait(executable, parameters, exitCode);
}

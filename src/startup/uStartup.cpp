#include "startup/uStartup.h"
#include "base/StrUtils.h"
#include "container/uInstallerContract.h"
#include "startup/StringIds.h"
#include "startup/uAdministrator.h"
#include "startup/uInternationalUtils.h"
#include "startup/uMessageDialog.h"
#include "startup/uSecurityUtils.h"
#include "win32/uModule.h"
#include "win32/uWindowsVersion.h"
#include <windows.h>

std::string AdminRequiredMessage(bool japanese) {
    // The program's string table has the text; a program without one still gets it.
    std::string text = LoadLangString(japanese ? SID_JA_ADMIN_REQUIRED : SID_EN_ADMIN_REQUIRED);
    if (!text.empty()) return text;
    if (japanese)
        // "管理者権限で起動できませんでした" CR LF "管理者権限を持ったユーザーで起動してください", Shift-JIS
        return "\x8A\xC7\x97\x9D\x8E\xD2\x8C\xA0\x8C\xC0\x82\xC5\x8B" "N\x93\xAE\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1"
               "\x82\xC5\x82\xB5\x82\xBD\r\n\x8A\xC7\x97\x9D\x8E\xD2\x8C\xA0\x8C\xC0\x82\xF0\x8E\x9D\x82\xC1\x82\xBD"
               "\x83\x86\x81[\x83U\x81[\x82\xC5\x8B" "N\x93\xAE\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2";
    return "Please start by the user who has the Administrator authority.";
}

std::string RelaunchParameters(const std::string& accountName) {
    // Account names cannot hold a double quote; drop any so the quoting stays intact.
    std::string name;
    for (char c : accountName)
        if (c != '"') name += c;
    return "/AsAdmin \"" + name + "\"";
}

std::string ParamStr(const std::string& commandLine, int index) {
    size_t p = 0;
    for (int i = 0; i < index; ++i) p = NextArgument(commandLine, p);
    std::string arg;
    NextArgument(commandLine, p, &arg);
    return arg;
}

int ParamCount(const std::string& commandLine) {
    int count = 0;  // the program too
    for (size_t p = 0;; ++count) {
        while (p < commandLine.size() && static_cast<unsigned char>(commandLine[p]) <= ' ') ++p;
        if (p >= commandLine.size()) return count > 0 ? count - 1 : 0;
        p = NextArgument(commandLine, p);
    }
}

std::string ParamStr(int index) {
    if (index == 0) return ModuleFileName();
    return ParamStr(GetCommandLineA(), index);
}

namespace {
bool IsInstallerSwitch(const std::string& argument) {
    return !argument.empty() && ParseInstallerSwitches(argument).Ignored.empty();
}
}  // namespace

TStartupOutcome DecideStartup(TStartupEnvironment& env, DWORD& relaunchExitCode) {
    relaunchExitCode = 0;
    const std::string message = AdminRequiredMessage(env.IsJapanese());
    const TInstallerSwitches switches = SwitchesOfCommandLine(env.CommandLine());
    auto refuse = [&](TStartupOutcome outcome) {
        if (!switches.Silent) env.ErrorBox(message);  // silent: the exit code says it
        return outcome;
    };
    const std::string first = env.FirstArgument();
    if (env.WindowsMajorVersion() >= 6 && (first.empty() || (first != "/AsAdmin" && IsInstallerSwitch(first)))) {
        std::string domain, account;
        const bool wait = env.GetCurrentUserAccount(domain, account) && (switches.Silent || env.ReadSilent());
        std::string parameters = RelaunchParameters(account);
        if (!switches.Text.empty()) parameters += " " + switches.Text;
        if (account.empty() ||
            !(wait ? env.RunAsAdminAndWait(env.ExePath(), parameters, relaunchExitCode)
                   : env.RunAsAdmin(env.ExePath(), parameters)))
            return refuse(TStartupOutcome::RelaunchFailed);
        return TStartupOutcome::Relaunched;
    }
    if (env.ReadCheckAdmin() && !env.IsAdministrator()) return refuse(TStartupOutcome::Refused);
    return TStartupOutcome::Wizard;
}

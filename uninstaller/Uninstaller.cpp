// The uninstaller the installer carries: removes one installation of a screensaver. The exit
// codes are those of TUninstallExit; see the README.
#include "StringIds.h"
#include "base/TextLog.h"
#include "container/uInstallerContract.h"
#include "startup/uDuplicate.h"
#include "startup/uInternationalUtils.h"
#include "startup/uMessageDialog.h"
#include "startup/uStartup.h"
#include "win32/uSystemLibrary.h"
#include "system/uUtils.h"
#include "uninstaller/uSelfRemoval.h"
#include "uninstaller/uUninstall.h"
#include <windows.h>

namespace {

// The texts of the system's language, under the screensaver's display name.
class TTexts {
public:
    TTexts(bool japanese, const std::string& name, bool silent)
        : FBase(japanese ? SID_JAPANESE : SID_ENGLISH), FSilent(silent),
          FCaption(name.empty() ? std::string() : name + Load(SID_DISPLAY_SUFFIX)) {}

    std::string Load(unsigned id) const { return LoadLangString(FBase + id); }
    std::string Format(unsigned id, const std::string& second = std::string()) const {
        return StringReplaceAll(StringReplaceAll(Load(id), "%1", FCaption), "%2", second);
    }
    // A message box, unless the run is silent; its modal result, or mrNone.
    int Show(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) const {
        if (FSilent) return mrNone;
        if (FCaption.empty()) return MsgBox(text, type, buttons, 0);
        return MsgBox(text, FCaption, type, buttons, 0);
    }
    void Tell(const std::string& text, TMsgDlgType type) const { Show(text, type, MsgDlgButton(mbOK)); }

private:
    unsigned FBase;
    bool FSilent;
    std::string FCaption;
};

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

// The log of "/LOG=": opened by the instance that does the work (a relaunching one leaves it to the
// elevated one), the command line first, the exit code last.
class TRunLog {
public:
    explicit TRunLog(const TArguments& args) : FArgs(args) {}
    void Open() {
        if (FArgs.LogFile.empty()) return;
        FLog = TTextLog(FArgs.LogFile, GetACP());
        FLog.Line(std::string("command line: ") + GetCommandLineA());
    }
    void Line(const std::string& text) { FLog.Line(text); }
    int Exit(int code) {
        FLog.Line("exit code " + std::to_string(code));
        return code;
    }

private:
    const TArguments& FArgs;
    TTextLog FLog;
};

int Uninstall(const TArguments& args, const std::string& self) {
    TInstallation installation;
    const bool known = InstallationFromPath(self, installation);
    const TTexts texts(IsJapanese(), installation.Name, args.Silent);
    const std::string guid = known ? ReadGuid(self) : std::string();
    TRunLog log(args);
    if (guid.empty()) {
        log.Open();
        log.Line("failed: " + self + " is no uninstaller of a screensaver (no identifier in its block)");
        texts.Tell(texts.Format(SID_DAMAGED), mtError);
        return log.Exit(ueDamaged);
    }
    TSystemRights system;
    const TRights rights = DecideRights(args, self, system);
    if (rights.Outcome == TRights::Relaunched) return static_cast<int>(rights.ExitCode);
    log.Open();
    log.Line("installation: " + installation.Name + " in " + installation.Dir + ", identifier " + guid);
    if (rights.Outcome == TRights::Refused) {
        log.Line("failed: administrator rights are missing, or the elevation was declined");
        texts.Tell(texts.Format(SID_NO_RIGHTS), mtError);
        return log.Exit(ueNoRights);
    }
    if (MutexExists(guid)) {
        log.Line("failed: the screensaver is running");
        texts.Tell(texts.Format(SID_RUNNING), mtWarning);
        return log.Exit(ueRunning);
    }
    if (!args.Silent &&
        texts.Show(texts.Format(SID_CONFIRM), mtConfirmation, MsgDlgButton(mbYes) | MsgDlgButton(mbNo)) != mrYes) {
        log.Line("declined by the user");
        return log.Exit(ueDeclined);
    }
    const std::vector<std::string> stayed = RemoveInstallation(installation, rights.Account);
    if (!stayed.empty()) {
        for (const std::string& item : stayed) log.Line("failed: still there: " + item);
        texts.Tell(texts.Format(SID_PARTLY, JoinLines(stayed)), mtWarning);
        return log.Exit(uePartly);
    }
    log.Line("removed: " + installation.ScrPath() + ", " + installation.TxtPath() + ", the screensaver setting " +
             "where it named it, and HKEY_LOCAL_MACHINE\\" + installation.UninstallKey());
    log.Line("removed after this program ends: " + self);
    RemoveSelf(self);
    texts.Tell(texts.Format(SID_REMOVED), mtInformation);
    return log.Exit(ueRemoved);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HardenDllSearchPath();
    const TArguments args = ParseArguments(GetCommandLineA());
    const std::string self = ParamStr(0);
    if (args.Cleanup) return FinishSelfRemoval(args.WaitHandle, args.Original, self);
    return Uninstall(args, self);
}

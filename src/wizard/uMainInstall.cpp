// The installation: the screensaver, its readme and the uninstaller into one directory, the
// screensaver made current, the uninstaller registered; then the finish actions.
#include "wizard/uMain.h"
#include "base/FileOps.h"
#include "container/uExeAdder.h"
#include "controls/uFileEmbedder.h"
#include "controls/uNotifier.h"
#include "controls/uResourceIcon.h"
#include "framework/StdCtrls.h"
#include "startup/uMessageDialog.h"
#include "system/uPathUtils.h"
#include "system/uSetScreenSaver.h"
#include "system/uUtils.h"
#include "win32/uRegistry.h"
#include <memory>
#include <shellapi.h>

namespace {

const char* const UninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char* const DisplaySettingsCommand = "rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1";

// Never a truncated file where a working one was: the bytes go beside the target first.
void SaveStream(TMemoryStream& stream, const std::string& fileName) {
    WriteFileReplacing(fileName, [&](const std::string& scratch) {
        TFileStream file(scratch, fmCreate);
        file.WriteBuffer(stream.Memory(), static_cast<size_t>(stream.Size()));
    });
}

// An unquoted path with blanks would let "C:\Program.exe" run in its place.
std::string CommandPath(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

DWORD FileSizeKB(const std::string& fileName) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<DWORD>(((uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow) + 1023) / 1024);
}

}  // namespace

bool TfrmMain::Install() {
    const std::string directory = IncludeTrailingPathDelimiter(edtPage3Path->GetText());
    if (!DirectoryExists(directory)) {
        std::string text;
        FormatSinglePattern(SDirectoryMissing, directory, text);
        ShowFailure(text);
        return false;
    }
    const std::string uninstaller = directory + FScrName + "Uninst.exe";
    try {
        auto notifier = std::make_unique<TNotifier>(this);
        notifier->SetShowProgressBar(false);
        notifier->SetCanCancel(false);
        notifier->SetCaption("");
        notifier->SetMsg(SInstalling);
        notifier->ShowOver(this);
        FReadmePath = directory + FScrName + ".txt";
        FScrPath = directory + FScrName + ".scr";
        Application->ProcessMessages();
        SaveStream(FScrStream, FScrPath);
        Application->ProcessMessages();
        if (FReadmeStream.Size() > 0) SaveStream(FReadmeStream, FReadmePath);
        chbxPage4ShowReadMe->SetVisible(FileExists(FReadmePath) && FReadmeStream.Size() > 0);
        Application->ProcessMessages();
        if (FileExists(FScrPath) && chbxPage3SetScreenSaver->Checked())
            FScreenSaverSet = SetScreenSaver(FScrPath, IsRunAsAdmin() ? FOriginalUser : std::string());
        // The icon goes in before the block: rewriting the image drops what follows it.
        WriteFileReplacing(uninstaller, [&](const std::string& scratch) {
            {
                TFileStream file(scratch, fmCreate);
                embedderUninstaller->SaveToStream(file);
            }
            if (!FUninstallerIcon.Empty()) ReplaceIcon(scratch, FUninstallerIcon, "MAINICON");
            TWriteHelper helper;
            helper.AddString("GUID", FGuid);
            helper.SaveToExe(scratch, 0);
        });
        Application->ProcessMessages();
    } catch (const std::exception&) {
        ErrorBox(SWriteFailure);
        return false;
    }
    WriteUninstallEntry(uninstaller);
    return true;
}

void TfrmMain::WriteUninstallEntry(const std::string& uninstaller) {
    const std::string key = UninstallKey + FScrName;
    WriteRegValueByPath(HKEY_LOCAL_MACHINE, key + "\\UninstallString", CommandPath(uninstaller));
    WriteRegValueByPath(HKEY_LOCAL_MACHINE, key + "\\DisplayName", FScrName + SDisplayNameSuffix);
    WriteRegValueByPath(HKEY_LOCAL_MACHINE, key + "\\DisplayIcon", uninstaller + ",0");
    // What the system's list of programs shows and deployment tools use besides.
    TRegKey k;
    if (!k.Create(HKEY_LOCAL_MACHINE, key, KEY_SET_VALUE)) return;
    k.SetText("QuietUninstallString", "\"" + uninstaller + "\" /S", true);
    k.SetText("InstallLocation", IncludeTrailingPathDelimiter(uninstaller.substr(0, uninstaller.find_last_of('\\'))), true);
    k.SetDWord("EstimatedSize", FileSizeKB(FScrPath) + FileSizeKB(uninstaller) +
                                    (chbxPage4ShowReadMe->Visible() ? FileSizeKB(FReadmePath) : 0));
    k.SetDWord("NoModify", 1);
    k.SetDWord("NoRepair", 1);
}

void TfrmMain::RunFinishActions() {
    if (chbxPage4OpenDialog->Checked()) WinExec(DisplaySettingsCommand, SW_HIDE);
    if (chbxPage4ShowReadMe->Checked() && chbxPage4ShowReadMe->Visible())
        ShellExecuteA(Handle(), "open", FReadmePath.c_str(), nullptr, nullptr, SW_SHOW);
}

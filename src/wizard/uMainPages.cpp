// The wizard's page switch and the handlers of its buttons and page controls.
#include "wizard/uMain.h"
#include "base/StrUtils.h"
#include "base/TextLog.h"
#include "container/uInstallerSettings.h"
#include "controls/uColorBtn.h"
#include "controls/uDeactiveMemo.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "system/uBrowser.h"
#include "system/uPathUtils.h"

namespace {
const char* const FlashPlayerDownloadURL = "https://get.adobe.com/flashplayer/";
}

void TfrmMain::btnCancelClick(TObject*) {
    FLog.Line("cancelled by the user");
    Quit(ecCancelled);
}

void TfrmMain::CheckPage2Agree(TObject*) { btnNext->SetEnabled(rdoPage2Agree->Checked()); }

void TfrmMain::chbxPage3InstallPathClick(TObject*) {
    edtPage3Path->SetEnabled(chbxPage3InstallPath->Checked());
    btnPage3RefPath->SetEnabled(chbxPage3InstallPath->Checked());
}

void TfrmMain::btnPage3RefPathClick(TObject*) {
    std::string directory = edtPage3Path->GetText();
    const TBrowseOptions options =
        BrowseOptionBit(boReturnOnlyFSDirs) | BrowseOptionBit(boDontGoBelowDomain) | BrowseOptionBit(boNewDialogStyle);
    const TSpecialFolders refused = SpecialFolderBit(sfControls) | SpecialFolderBit(sfPrinters) |
                                    SpecialFolderBit(sfBitBucket) | SpecialFolderBit(sfNetwork) |
                                    SpecialFolderBit(sfFonts);
    if (BrowseForFolder(SSelectDirectory, options, refused, directory)) edtPage3Path->SetText(directory);
}

void TfrmMain::btnPage5GetFlashPlayerClick(TObject*) {
    TBrowser browser;
    browser.SetURL(FlashPlayerDownloadURL);
    browser.Open();
}

bool TfrmMain::SkipLicensePage() const { return FPageIndex == 1 && FSettings.Eula.empty(); }

// The raw item is tested, not whether its directory could be used.
bool TfrmMain::SkipOptionsPage() const {
    return FPageIndex == 2 && !FSettings.InstallPath.empty() && FSettings.ForceSet;
}

void TfrmMain::GoNext() {
    if (FPageIndex < 0) {
        Quit(FExitCode);
        return;
    }
    if (FPageIndex >= Count() - 1) {
        RunFinishActions();
        Quit(ecInstalled);
        return;
    }
    ++FPageIndex;
    if (SkipLicensePage()) ++FPageIndex;
    if (SkipOptionsPage()) ++FPageIndex;
    if (FPageIndex == Count() - 1) {
        if (Install()) {
            FExitCode = ecInstalled;
        } else if (FPageIndex >= 0) {
            // A missing directory has put its own text on the failure page already.
            ShowFailure(SWriteFailure, ecInstallFailed);
        }
        if (!FScreenSaverSet) AddSetManuallyNote();
        if (FPageIndex < 0) FExitCode = ecInstallFailed;
    }
    if (FPageIndex >= 0 && FPageIndex < Count()) ShowPage(FPages[static_cast<size_t>(FPageIndex)].Panel);
}

void TfrmMain::GoBack() {
    if (FPageIndex <= 0) return;
    --FPageIndex;
    if (SkipLicensePage()) --FPageIndex;
    if (SkipOptionsPage()) --FPageIndex;
    ShowPage(FPages[static_cast<size_t>(FPageIndex)].Panel);
}

void TfrmMain::ShowPage(TPanel* page) {
    page->SetParent(pnlBase);
    page->SetAlign(alClient);
    page->SetVisible(true);
    if (FCurrentPage && FCurrentPage != page) {
        FCurrentPage->SetAlign(alNone);
        FCurrentPage->SetVisible(false);
        FCurrentPage->SetParent(nullptr);
    }
    FCurrentPage = page;
    btnPrev->SetEnabled(FPageIndex > 0);
    bool nextEnabled = FPageIndex < Count() - 1;
    switch (FPageIndex) {
    case -1: imgLeft->SetParent(pnlPage5); break;
    case 0: imgLeft->SetParent(pnlPage1); break;
    case 3: imgLeft->SetParent(pnlPage4); break;
    default:
        if (FPageIndex > 0 && FPageIndex < Count() && FPages[static_cast<size_t>(FPageIndex)].Band)
            imgIcon->SetParent(FPages[static_cast<size_t>(FPageIndex)].Band);
    }
    if (FPageIndex == 1) nextEnabled = rdoPage2Agree->Checked();
    if (FPageIndex < 0) {
        btnNext->SetCaption(SQuit);
        btnCancel->SetEnabled(false);
    } else if (FPageIndex >= Count() - 1) {
        btnNext->SetCaption(SFinish);
        nextEnabled = true;
        btnPrev->SetEnabled(false);
        btnCancel->SetEnabled(false);
    } else if (FPageIndex >= Count() - 2) {
        btnNext->SetCaption(SInstall);
        nextEnabled = true;
    } else {
        btnNext->SetCaption(SNext);
    }
    btnNext->SetEnabled(nextEnabled);
}

void TfrmMain::ShowFailure(const std::string& message, int exitCode) {
    FLog.Line("failure page: " + StringReplaceAll(message, "\r\n", " "));
    FPageIndex = -1;
    FExitCode = exitCode;  // the page's: a later failure replaces the message and the code
    dmemoPage5Message->Lines().SetText(message);
    ShowPage(pnlPage5);
}

void TfrmMain::Quit(int exitCode) {
    FExitCode = exitCode;
    Close();
}

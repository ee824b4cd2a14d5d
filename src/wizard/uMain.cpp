#include "wizard/uMain.h"
#include "wizard/StringIds.h"
#include "wizard/uInstallation.h"
#include "base/StrUtils.h"
#include "base/TextLog.h"
#include "container/uInstallerContract.h"
#include "controls/uBitmapList.h"
#include "controls/uColorBtn.h"
#include "controls/uDeactiveMemo.h"
#include "controls/uFileEmbedder.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "startup/uDuplicate.h"
#include "startup/uInstallerData.h"
#include "startup/uInternationalUtils.h"
#include "startup/uSecurityUtils.h"
#include "startup/uStartup.h"
#include "system/uBrowser.h"
#include "system/uFlashUtils.h"
#include "win32/uModule.h"
#include "win32/uWindowsVersion.h"

std::string SDisplayNameSuffix, SNext, SInstall, SFinish, SQuit, SWelcomePattern, SInstalling, SSelectDirectory,
    SDirectoryMissing, SWriteFailure, SScreensaverActive, SFlashMissing, SVersionRequired, SInvalidData,
    SSetManually;

namespace {

// String-table numbers of the messages: Japanese, English.
struct TMessageIds {
    std::string* Text;
    unsigned Japanese, English;
};
const TMessageIds MessageIds[] = {
    {&SDisplayNameSuffix, SID_JA_DISPLAY_SUFFIX, SID_EN_DISPLAY_SUFFIX},
    {&SNext, SID_JA_NEXT, SID_EN_NEXT},
    {&SInstall, SID_JA_INSTALL, SID_EN_INSTALL},
    {&SFinish, SID_JA_FINISH, SID_EN_FINISH},
    {&SQuit, SID_JA_QUIT, SID_EN_QUIT},
    {&SWelcomePattern, SID_JA_WELCOME_PATTERN, SID_EN_WELCOME_PATTERN},
    {&SInstalling, SID_JA_INSTALLING, SID_EN_INSTALLING},
    {&SSelectDirectory, SID_JA_SELECT_DIRECTORY, SID_EN_SELECT_DIRECTORY},
    {&SDirectoryMissing, SID_JA_DIRECTORY_MISSING, SID_EN_DIRECTORY_MISSING},
    {&SWriteFailure, SID_JA_WRITE_FAILURE, SID_EN_WRITE_FAILURE},
    {&SScreensaverActive, SID_JA_SCREENSAVER_ACTIVE, SID_EN_SCREENSAVER_ACTIVE},
    {&SFlashMissing, SID_JA_FLASH_MISSING, SID_EN_FLASH_MISSING},
    {&SVersionRequired, SID_JA_VERSION_REQUIRED, SID_EN_VERSION_REQUIRED},
    {&SInvalidData, SID_JA_INVALID_DATA, SID_EN_INVALID_DATA},
    {&SSetManually, SID_JA_SET_MANUALLY, SID_EN_SET_MANUALLY},
};

}  // namespace

void LoadMessages() {
    const bool japanese = IsJapanese();
    for (const TMessageIds& m : MessageIds) *m.Text = LoadLangString(japanese ? m.Japanese : m.English);
}

bool ScreensaverRunning(const std::string& guid) {
    const bool running = !CheckDuplicate(guid);
    ReleaseDuplicate();  // the wizard never holds the mutex while it runs
    return running;
}

bool IsRunAsAdmin() { return CheckWin32Version(6) && ParamStr(1) == "/AsAdmin"; }

TfrmMain::TfrmMain(TComponent* owner, TInstallerData& data, bool running, const TInstallerSwitches& switches,
                   TTextLog& log)
    : TForm(owner), FData(data), FSettings(data.Settings()), FRunning(running), FSwitches(switches), FLog(log) {
    RegisterMethod("FormCreate", [this](TObject* s) { FormCreate(s); });
    RegisterMethod("FormDestroy", [this](TObject* s) { FormDestroy(s); });
    RegisterMethod("ImageClick", [this](TObject* s) { ImageClick(s); });
    RegisterMethod("btnNextClick", [this](TObject* s) { btnNextClick(s); });
    RegisterMethod("btnPrevClick", [this](TObject* s) { btnPrevClick(s); });
    RegisterMethod("btnCancelClick", [this](TObject* s) { btnCancelClick(s); });
    RegisterMethod("CheckPage2Agree", [this](TObject* s) { CheckPage2Agree(s); });
    RegisterMethod("chbxPage3InstallPathClick", [this](TObject* s) { chbxPage3InstallPathClick(s); });
    RegisterMethod("btnPage3RefPathClick", [this](TObject* s) { btnPage3RefPathClick(s); });
    RegisterMethod("btnPage5GetFlashPlayerClick", [this](TObject* s) { btnPage5GetFlashPlayerClick(s); });
    LoadFormResource();
}

TfrmMain::~TfrmMain() { DoDestroy(); }

template <class T> T* TfrmMain::Find(const char* name) {
    T* c = dynamic_cast<T*>(FindComponent(name));
    if (!c) throw EResNotFound(std::string("Component ") + name + " not found");
    return c;
}

void TfrmMain::BindComponents() {
    pnlBase = Find<TPanel>("pnlBase");
    pnlButtonBase = Find<TPanel>("pnlButtonBase");
    pnlPage1 = Find<TPanel>("pnlPage1");
    pnlPage2 = Find<TPanel>("pnlPage2");
    pnlPage3 = Find<TPanel>("pnlPage3");
    pnlPage4 = Find<TPanel>("pnlPage4");
    pnlPage5 = Find<TPanel>("pnlPage5");
    pnlPage2Top = Find<TPanel>("pnlPage2Top");
    pnlPage3Top = Find<TPanel>("pnlPage3Top");
    btnPrev = Find<TButton>("btnPrev");
    btnNext = Find<TButton>("btnNext");
    btnCancel = Find<TButton>("btnCancel");
    btnPage3RefPath = Find<TButton>("btnPage3RefPath");
    imgLeft = Find<TImage>("imgLeft");
    imgIcon = Find<TImage>("imgIcon");
    dmemoPage1Title = Find<TDeactiveMemo>("dmemoPage1Title");
    dmemoPage1Explain = Find<TDeactiveMemo>("dmemoPage1Explain");
    dmemoPage1NextMsg = Find<TDeactiveMemo>("dmemoPage1NextMsg");
    dmemoPage2Explain = Find<TDeactiveMemo>("dmemoPage2Explain");
    dmemoPage3Explain = Find<TDeactiveMemo>("dmemoPage3Explain");
    dmemoPage3PathCaution = Find<TDeactiveMemo>("dmemoPage3PathCaution");
    dmemoPage4Explain = Find<TDeactiveMemo>("dmemoPage4Explain");
    dmemoPage5Message = Find<TDeactiveMemo>("dmemoPage5Message");
    dmemoPage5EndMessage = Find<TDeactiveMemo>("dmemoPage5EndMessage");
    lblPage2Title = Find<TLabel>("lblPage2Title");
    lblPage3Title = Find<TLabel>("lblPage3Title");
    lblPage4Title = Find<TLabel>("lblPage4Title");
    lblPage5Title = Find<TLabel>("lblPage5Title");
    memoPage2EULA = Find<TMemo>("memoPage2EULA");
    rdoPage2Agree = Find<TRadioButton>("rdoPage2Agree");
    rdoPage2Disagree = Find<TRadioButton>("rdoPage2Disagree");
    chbxPage3InstallPath = Find<TCheckBox>("chbxPage3InstallPath");
    chbxPage3SetScreenSaver = Find<TCheckBox>("chbxPage3SetScreenSaver");
    chbxPage4ShowReadMe = Find<TCheckBox>("chbxPage4ShowReadMe");
    chbxPage4OpenDialog = Find<TCheckBox>("chbxPage4OpenDialog");
    edtPage3Path = Find<TEdit>("edtPage3Path");
    btnPage5GetFlashPlayer = Find<TFlatBitColorBtn>("btnPage5GetFlashPlayer");
    bmplstImages = Find<TBitmapList>("bmplstImages");
    embedderUninstaller = Find<TFileEmbedder>("embedderUninstaller");
}

// ---- creation and settings -------------------------------------------------------------------

void TfrmMain::LoadEnglishTexts() {
    if (IsJapanese()) return;
    SetCaption(LoadLangString(SID_CAPTION));
    Font().SetName(LoadLangString(SID_FONT_NAME));
    btnCancel->SetCaption(LoadLangString(SID_CANCEL));
    btnNext->SetCaption(LoadLangString(SID_NEXT_CAPTION));
    btnPrev->SetCaption(LoadLangString(SID_BACK));
    lblPage2Title->SetCaption(LoadLangString(SID_LICENCE_TITLE));
    lblPage2Title->Font().SetName(LoadLangString(SID_LICENCE_TITLE_FONT));
    dmemoPage2Explain->Lines().SetText(LoadLangString(SID_LICENCE_EXPLAIN));
    rdoPage2Agree->SetCaption(LoadLangString(SID_AGREE));
    rdoPage2Disagree->SetCaption(LoadLangString(SID_DISAGREE));
    dmemoPage1NextMsg->Lines().SetText(LoadLangString(SID_WELCOME_HINT));
    dmemoPage1Title->Lines().SetText(LoadLangString(SID_WELCOME_TITLE));
    dmemoPage1Title->Font().SetName(LoadLangString(SID_WELCOME_TITLE_FONT));
    lblPage3Title->SetCaption(LoadLangString(SID_OPTIONS_TITLE));
    lblPage3Title->Font().SetName(LoadLangString(SID_OPTIONS_TITLE_FONT));
    dmemoPage3Explain->Lines().SetText(LoadLangString(SID_OPTIONS_EXPLAIN));
    chbxPage3SetScreenSaver->SetCaption(LoadLangString(SID_SET_CURRENT));
    btnPage3RefPath->SetCaption(LoadLangString(SID_BROWSE));
    chbxPage3InstallPath->SetCaption(LoadLangString(SID_CHANGE_PATH));
    dmemoPage3PathCaution->Lines().SetText(LoadLangString(SID_PATH_CAUTION));
    lblPage4Title->SetCaption(LoadLangString(SID_FINISH_TITLE));
    lblPage4Title->Font().SetName(LoadLangString(SID_FINISH_TITLE_FONT));
    chbxPage4OpenDialog->SetCaption(LoadLangString(SID_OPEN_SETTINGS));
    chbxPage4ShowReadMe->SetCaption(LoadLangString(SID_SHOW_README));
    dmemoPage4Explain->Lines().SetText(LoadLangString(SID_FINISH_EXPLAIN));
    lblPage5Title->SetCaption(LoadLangString(SID_FAILURE_TITLE));
    lblPage5Title->Font().SetName(LoadLangString(SID_FAILURE_TITLE_FONT));
    dmemoPage5EndMessage->Lines().SetText(LoadLangString(SID_FAILURE_HINT));
    btnPage5GetFlashPlayer->SetCaption(LoadLangString(SID_GET_PLAYER));
    btnPage5GetFlashPlayer->SetImageID(LoadLangString(SID_GET_PLAYER_IMAGE));
    embedderUninstaller->SetFileName(LoadLangString(SID_UNINSTALLER_FILE));
}

void TfrmMain::FormCreate(TObject*) {
    BindComponents();
    LoadEnglishTexts();
    FOriginalUser = ParamStr(2);
    SetClientSize(pnlBase->Width(), pnlBase->Height());
    for (TPage page : {TPage{pnlPage1, nullptr}, TPage{pnlPage2, pnlPage2Top}, TPage{pnlPage3, pnlPage3Top},
                       TPage{pnlPage4, nullptr}}) {
        FPages.push_back(page);
        page.Panel->SetVisible(false);
    }
    bmplstImages->GetBitmap("Left", &imgLeft->Picture());
    bmplstImages->GetBitmap("Icon", &imgIcon->Picture());
    FTitle = Caption();
    // The windows are made while the worker still reads the payload (the welcome page's too,
    // hidden: it is the page most runs show first).
    HandleNeeded();
    pnlPage1->HandleNeeded();
    TakeSettings();

    std::string domain, account;
    GetCurrentUserAccount(domain, account);
    if (IsRunAsAdmin() && FOriginalUser != account) {
        chbxPage4OpenDialog->SetChecked(false);
        chbxPage4OpenDialog->SetVisible(false);
        AddSetManuallyNote();
    }

    // What comes before needs only the settings; the payload is still being read until here.
    FData.Wait();
    if (CheckIntegrity()) CheckFlashPlayer();
    if (FDirectoryRefused) {
        std::string text;
        FormatSinglePattern(SDirectoryMissing, FSwitches.Directory, text);
        ShowFailure(text, ecInstallFailed);
    }
    if (FRunning) ShowFailure(SScreensaverActive, ecRunning);
}

void TfrmMain::FormDestroy(TObject*) { FPages.clear(); }

void TfrmMain::TakeSettings() {
    const TInstallerSettings& s = FSettings;
    if (s.Title) FTitle = *s.Title;
    LoadPicture(*imgLeft, s.LeftImage);
    LoadPicture(*imgIcon, s.TopImage);
    chbxPage3SetScreenSaver->SetVisible(!s.ForceSet);
    std::string pattern = IsJapanese() ? s.MessageJa : s.MessageEn;
    std::string welcome;
    // A distributor's pattern that is not one "%s" falls back to ours rather than print memory.
    if (pattern.empty() || !FormatSinglePattern(pattern, s.ScrName, welcome))
        FormatSinglePattern(SWelcomePattern, s.ScrName, welcome);
    dmemoPage1Explain->Lines().SetText(welcome);
    ChooseDirectory();
    imgIcon->SetVisible(s.TopImageVisible);
    // Through its lines: a memo makes its window only when its page is first shown, from them.
    memoPage2EULA->Lines().SetText(s.Eula);
    chbxPage3InstallPathClick(nullptr);
    SetCaption(FTitle);
    FScreenSaverSet = true;
}

void TfrmMain::LoadPicture(TImage& image, const std::string& file) {
    if (file.empty()) return;
    TBitmap loaded;
    try {
        TMemoryStream s;
        s.WriteBuffer(file.data(), file.size());
        s.SetPosition(0);
        loaded.LoadFromStream(s);
    } catch (const EInvalidGraphic&) {
        return;  // a picture that cannot be drawn leaves ours
    }
    TBitmap& picture = image.Picture();
    picture.Clear();
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(image.Width(), image.Height());
    picture.Canvas().StretchDraw(TRect{0, 0, image.Width(), image.Height()}, loaded);
    image.PictureChanged();
}

void TfrmMain::ChooseDirectory() {
    // The command line's directory wins over the block's (which is then not made), and stays a
    // choice the user may change.
    if (FSwitches.HasDirectory) {
        std::string given;
        FDirectoryRefused = !DirectoryFromSwitch(FSwitches.Directory, given);
        edtPage3Path->SetText(FDirectoryRefused ? FSwitches.Directory : given);
        return;
    }
    bool fixed = false;
    edtPage3Path->SetText(InstallationDirectory(FSettings, fixed));
    if (!fixed) return;
    chbxPage3InstallPath->SetVisible(false);
    edtPage3Path->SetVisible(false);
    btnPage3RefPath->SetVisible(false);
    dmemoPage3PathCaution->SetVisible(false);
    chbxPage3SetScreenSaver->SetTop(chbxPage3InstallPath->Top());
}

bool TfrmMain::CheckIntegrity() {
    // The digest of the payload's leading bytes was made while the worker read them.
    const bool validName = IsValidScrName(FSettings.ScrName, GetACP());
    FLog.Line(std::string("check: the screensaver's name is a plain file name: ") + (validName ? "yes" : "no"));
    FLog.Line(std::string("check: the screensaver's data is intact: ") + (FData.Check.Ok() ? "yes" : "no"));
    if (validName && FData.Check.Ok()) return true;
    ShowFailure(SInvalidData, ecCheckFailed);
    return false;
}

void TfrmMain::CheckFlashPlayer() {
    const std::string& version = FSettings.FlashVersion;
    const bool creatable = IsFlashPlayerCreatable();
    const bool recent = !FSettings.VerCheck || IsFlashPlayerVersionAtLeast(version);
    FLog.Line(std::string("check: the player control: ") + (!creatable ? "missing" : recent ? "present" : "too old"));
    if (creatable && recent) {
        ShowPage(pnlPage1);
        return;
    }
    std::string text = SFlashMissing, required;
    if (!version.empty() && FormatSinglePattern(SVersionRequired, version, required)) text += required;
    ShowFailure(text, ecPlayerMissing);
    btnPage5GetFlashPlayer->SetVisible(true);
}

void TfrmMain::AddSetManuallyNote() {
    // Another account fails the setting too: both reasons add the note, the page shows it once.
    if (FSetManuallyNoted) return;
    FSetManuallyNoted = true;
    dmemoPage4Explain->Lines().SetText(dmemoPage4Explain->Lines().Text() + "\r\n" + SSetManually);
}

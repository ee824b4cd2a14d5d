#include "wizard/uMain.h"
#include "wizard/uInstallerData.h"
#include "base/Endian.h"
#include "container/md5.h"
#include "container/uExeAdder.h"
#include "controls/uBitmapList.h"
#include "controls/uColorBtn.h"
#include "controls/uDeactiveMemo.h"
#include "controls/uFileEmbedder.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "startup/uDuplicate.h"
#include "startup/uInternationalUtils.h"
#include "startup/uSecurityUtils.h"
#include "startup/uStartup.h"
#include "system/uBrowser.h"
#include "system/uFlashUtils.h"
#include "system/uPathUtils.h"
#include "system/uUtils.h"
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
    {&SDisplayNameSuffix, 65265, 65233}, {&SNext, 65252, 65234},         {&SInstall, 65253, 65235},
    {&SFinish, 65254, 65236},            {&SQuit, 65255, 65237},         {&SWelcomePattern, 65256, 65238},
    {&SInstalling, 65264, 65239},        {&SSelectDirectory, 65257, 65240}, {&SDirectoryMissing, 65258, 65241},
    {&SWriteFailure, 65259, 65242},      {&SScreensaverActive, 65260, 65243}, {&SFlashMissing, 65261, 65244},
    {&SVersionRequired, 65262, 65245},   {&SInvalidData, 65263, 65246},  {&SSetManually, 65232, 65247},
};

}  // namespace

void LoadJapaneseMessages() {
    for (const TMessageIds& m : MessageIds) *m.Text = LoadLangString(m.Japanese);
}

bool FormatSinglePattern(const std::string& pattern, const std::string& argument, std::string& result) {
    std::string out;
    int strings = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        if (i + 1 >= pattern.size()) return false;
        char c = pattern[++i];
        if (c == '%') {
            out += '%';
        } else if (c == 's' && strings++ == 0) {
            out += argument;
        } else {
            return false;
        }
    }
    if (strings != 1) return false;
    result = out;
    return true;
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.size() > 200) return false;
    for (unsigned char c : name)
        if (c < 32 || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    // Device names stay devices whatever follows them after a dot.
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"};
    for (const char* d : devices)
        if (stem == d) return false;
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '0' &&
        stem[3] <= '9')
        return false;
    return true;
}

TfrmMain::TfrmMain(TComponent* owner, TInstallerData& data) : TForm(owner), FData(data) {
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
    SetCaption(LoadLangString(0));
    Font().SetName(LoadLangString(1));
    btnCancel->SetCaption(LoadLangString(2));
    btnNext->SetCaption(LoadLangString(3));
    btnPrev->SetCaption(LoadLangString(4));
    lblPage2Title->SetCaption(LoadLangString(5));
    lblPage2Title->Font().SetName(LoadLangString(6));
    dmemoPage2Explain->Lines().SetText(LoadLangString(7));
    rdoPage2Agree->SetCaption(LoadLangString(8));
    rdoPage2Disagree->SetCaption(LoadLangString(9));
    dmemoPage1NextMsg->Lines().SetText(LoadLangString(11));
    dmemoPage1Title->Lines().SetText(LoadLangString(12));
    dmemoPage1Title->Font().SetName(LoadLangString(13));
    lblPage3Title->SetCaption(LoadLangString(16));
    lblPage3Title->Font().SetName(LoadLangString(17));
    dmemoPage3Explain->Lines().SetText(LoadLangString(18));
    chbxPage3SetScreenSaver->SetCaption(LoadLangString(19));
    btnPage3RefPath->SetCaption(LoadLangString(20));
    chbxPage3InstallPath->SetCaption(LoadLangString(21));
    dmemoPage3PathCaution->Lines().SetText(LoadLangString(22));
    lblPage4Title->SetCaption(LoadLangString(23));
    lblPage4Title->Font().SetName(LoadLangString(24));
    chbxPage4OpenDialog->SetCaption(LoadLangString(25));
    chbxPage4ShowReadMe->SetCaption(LoadLangString(26));
    dmemoPage4Explain->Lines().SetText(LoadLangString(27));
    lblPage5Title->SetCaption(LoadLangString(28));
    lblPage5Title->Font().SetName(LoadLangString(29));
    dmemoPage5EndMessage->Lines().SetText(LoadLangString(30));
    btnPage5GetFlashPlayer->SetCaption(LoadLangString(31));
    btnPage5GetFlashPlayer->SetImageID(LoadLangString(32));
    embedderUninstaller->SetFileName(LoadLangString(33));
    for (const TMessageIds& m : MessageIds) *m.Text = LoadLangString(m.English);
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
    // The windows are made while the worker still reads the block (the welcome page's too,
    // hidden: it is the page most runs show first); the settings wait only for its items.
    HandleNeeded();
    pnlPage1->HandleNeeded();
    ReadSettings();

    chbxPage3SetScreenSaver->SetVisible(!FForceSet);
    std::string pattern = IsJapanese() ? FMessageJa : FMessageEn;
    std::string welcome;
    // A distributor's pattern that is not one "%s" falls back to ours rather than print memory.
    if (pattern.empty() || !FormatSinglePattern(pattern, FScrName, welcome))
        FormatSinglePattern(SWelcomePattern, FScrName, welcome);
    dmemoPage1Explain->Lines().SetText(welcome);
    ChooseDirectory();
    imgIcon->SetVisible(FTopImageVisible);
    // Through its lines: a memo makes its window only when its page is first shown, from them.
    memoPage2EULA->Lines().SetText(FEula);
    chbxPage3InstallPathClick(nullptr);
    SetCaption(FTitle);
    FScreenSaverSet = true;

    std::string domain, account;
    GetCurrentUserAccount(domain, account);
    if (IsRunAsAdmin() && FOriginalUser != account) {
        chbxPage4OpenDialog->SetChecked(false);
        chbxPage4OpenDialog->SetVisible(false);
        AddSetManuallyNote();
    }

    // What comes before needs only the settings; the payload is still being read until here.
    TakePayload();
    if (CheckIntegrity()) CheckFlashPlayer();

    const bool running = !CheckDuplicate(FGuid);
    ReleaseDuplicate();
    if (running) {
        ShowFailure(SScreensaverActive);
        return;
    }
    if (FSilent) {
        Application->ShowMainForm = false;
        // Damaged data or a name that would write outside the directory installs nothing,
        // silent or not: a silent run must not put a corrupt screensaver in place unseen.
        if (FValidName && FPayloadIntact)
            FExitCode = Install() ? ecInstalled : ecInstallFailed;
        else
            FExitCode = ecCheckFailed;
        Application->Terminate();
    }
}

void TfrmMain::FormDestroy(TObject*) {
    FUninstallerIcon.Clear();
    FPages.clear();
    FReadmeStream.Clear();
    FScrStream.Clear();
}

namespace {
bool FlagOf(const TItemType& item, bool& flag) {
    if (item.Size() < 1) return false;
    flag = item.Data.Data()[0] != 0;
    return true;
}
std::string TextOf(const TItemType& item) {
    return std::string(reinterpret_cast<const char*>(item.Data.Data()), item.Data.Size());
}
}  // namespace

void TfrmMain::ReadSettings() {
    FData.WaitForItems();
    TItemTypes& items = FData.Items;
    for (TItemType& item : items) {
        const std::string& n = item.Name;
        if (n == "GUID") FGuid = TextOf(item);
        else if (n == "mxf") FDigest = TextOf(item);
        else if (n == "mxl") { if (item.Size() >= 4) FDigestLength = GetLE32(item.Data.Data()); }
        else if (n == "FlashVersion") FFlashVersion = TextOf(item);
        else if (n == "SCRName") FScrName = TextOf(item);
        else if (n == "InstallerSilent") FlagOf(item, FSilent);
        else if (n == "InstallerTitle") FTitle = TextOf(item);
        else if (n == "InstallerMessageJa") FMessageJa = TextOf(item);
        else if (n == "InstallerMessageEn") FMessageEn = TextOf(item);
        else if (n == "InstallerLeftImage") LoadPicture(*imgLeft, item.Data);
        else if (n == "InstallerTopImage") LoadPicture(*imgIcon, item.Data);
        else if (n == "InstallerTopImageVisible") FlagOf(item, FTopImageVisible);
        else if (n == "InstallerUninstallerIcon") {
            if (item.Size() > 0) {
                TMemoryStream s;
                s.AdoptBuffer(std::move(item.Data));
                try {
                    FUninstallerIcon.LoadFromStream(s);
                } catch (const EInvalidGraphic&) {
                    FUninstallerIcon.Clear();  // the uninstaller keeps the icon it carries
                }
            }
        }
        else if (n == "InstallerForceSet") FlagOf(item, FForceSet);
        else if (n == "InstallerVerCheck") FlagOf(item, FVerCheck);
        else if (n == "InstallerPath") FInstallerPath = TextOf(item);
        else if (n == "InstallerEULA") FEula = TextOf(item);
        else if (n == "InstallerReadme") {
            FReadmeStream.Seek(0, TSeekOrigin::soEnd);
            if (item.Size() > 0) FReadmeStream.WriteBuffer(item.Data.Data(), item.Data.Size());
        }
    }
    FreeItems(items);
    FReadmeStream.SetPosition(0);
}

void TfrmMain::TakePayload() {
    FData.Wait();
    // The payload is held once: the buffer the worker filled becomes the stream itself.
    FScrStream.AdoptBuffer(std::move(FData.Payload));
    FPayloadIntact = FData.Check.Ok();
    FScrStream.SetPosition(0);
}

void TfrmMain::LoadPicture(TImage& image, const TBuffer& file) {
    if (file.Empty()) return;
    TBitmap loaded;
    try {
        TMemoryStream s;
        s.WriteBuffer(file.Data(), file.Size());
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
    const std::string windows = IncludeTrailingPathDelimiter(GetSpecialFolder(sfWindows));
    std::string directory = windows;
    if (!FInstallerPath.empty()) {
        std::string expanded = Trim(ExpandEnvironment(FInstallerPath, 260));
        if (expanded.find('%') == std::string::npos && !expanded.empty() &&
            (DirectoryExists(expanded) || ForceDirectories(expanded))) {
            directory = expanded;
            chbxPage3InstallPath->SetVisible(false);
            edtPage3Path->SetVisible(false);
            btnPage3RefPath->SetVisible(false);
            dmemoPage3PathCaution->SetVisible(false);
            chbxPage3SetScreenSaver->SetTop(chbxPage3InstallPath->Top());
        }
    }
    edtPage3Path->SetText(directory);
}

bool TfrmMain::CheckIntegrity() {
    if (!FValidName || !IsPlainFileName(FScrName)) {
        FValidName = false;
        ShowFailure(SInvalidData);
        return false;
    }
    // The digest of the first "mxl" bytes was made while the worker read them.
    if (!FPayloadIntact) {
        ShowFailure(SInvalidData);
        return false;
    }
    return true;
}

void TfrmMain::CheckFlashPlayer() {
    if (IsFlashPlayerCreatable() && (!FVerCheck || IsFlashPlayerVersionAtLeast(FFlashVersion))) {
        ShowPage(pnlPage1);
        return;
    }
    std::string text = SFlashMissing, required;
    if (!FFlashVersion.empty() && FormatSinglePattern(SVersionRequired, FFlashVersion, required)) text += required;
    ShowFailure(text);
    btnPage5GetFlashPlayer->SetVisible(true);
}

bool TfrmMain::IsRunAsAdmin() const { return CheckWin32Version(6) && ParamStr(1) == "/AsAdmin"; }

void TfrmMain::AddSetManuallyNote() {
    // Another account fails the setting too: both reasons add the note, the page shows it once.
    if (FSetManuallyNoted) return;
    FSetManuallyNoted = true;
    dmemoPage4Explain->Lines().SetText(dmemoPage4Explain->Lines().Text() + "\r\n" + SSetManually);
}

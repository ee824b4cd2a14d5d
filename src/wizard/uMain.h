// TfrmMain: the installer's one window, a wizard of welcome, licence, options and finish pages
// and a failure page. It reads every setting from the program's own data block when it is
// created, checks the payload, the player control and the running screensaver, and installs.
#pragma once
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include <string>
#include <vector>

class TBitmapList;
class TInstallerData;
class TButton;
class TCheckBox;
class TDeactiveMemo;
class TEdit;
class TFileEmbedder;
class TFlatBitColorBtn;
class TImage;
class TLabel;
class TMemo;
class TPanel;
class TRadioButton;

// The wizard's messages, Japanese by default; LoadEnglishTexts replaces them on other systems.
extern std::string SDisplayNameSuffix, SNext, SInstall, SFinish, SQuit, SWelcomePattern, SInstalling,
    SSelectDirectory, SDirectoryMissing, SWriteFailure, SScreensaverActive, SFlashMissing, SVersionRequired,
    SInvalidData, SSetManually;

// Loads the Japanese messages from the string table (the start of the program).
void LoadJapaneseMessages();

// The program's exit code, as deployment tools read it.
enum TInstallerExitCode : int {
    ecInstalled = 0,      // installed, or the wizard reached its finish page
    ecCancelled = 1,      // cancelled before anything was installed
    ecCheckFailed = 2,    // invalid data, no suitable player control, screensaver running
    ecInstallFailed = 3,  // missing directory or a write failure
    ecNoAdminRights = 4,  // administrator rights missing or declined
};

// The pattern with one "%s" replaced by the argument and "%%" by "%"; false (and nothing
// formatted) when it holds any other directive or not exactly one "%s".
bool FormatSinglePattern(const std::string& pattern, const std::string& argument, std::string& result);

// A screensaver name that can only name a file inside the installation directory: not empty, no
// path separators, drive colons or characters Windows refuses, no device name, no trailing dot or
// blank.
bool IsPlainFileName(const std::string& name);

class TfrmMain : public TForm {
public:
    KESTRIN_CLASS(TfrmMain)
    // The data block is read by `data` meanwhile; the form takes what it holds when it is created.
    TfrmMain(TComponent* owner, TInstallerData& data);
    ~TfrmMain() override;

    int ExitCode() const { return FExitCode; }
    bool Silent() const { return FSilent; }

private:
    struct TPage {
        TPanel* Panel;
        TPanel* Band;  // where the top icon goes, or none
    };

    template <class T> T* Find(const char* name);
    void BindComponents();

    // Creation and settings.
    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
    void ImageClick(TObject*) {}
    void LoadEnglishTexts();
    void ReadSettings();
    void TakePayload();
    void LoadPicture(TImage& image, const TBuffer& file);
    void ChooseDirectory();
    bool CheckIntegrity();
    void CheckFlashPlayer();
    bool IsRunAsAdmin() const;
    void AddSetManuallyNote();

    // Navigation.
    void btnNextClick(TObject*) { GoNext(); }
    void btnPrevClick(TObject*) { GoBack(); }
    void btnCancelClick(TObject*);
    void CheckPage2Agree(TObject*);
    void chbxPage3InstallPathClick(TObject*);
    void btnPage3RefPathClick(TObject*);
    void btnPage5GetFlashPlayerClick(TObject*);
    void GoNext();
    void GoBack();
    bool SkipLicensePage() const;
    bool SkipOptionsPage() const;
    void ShowPage(TPanel* page);
    void ShowFailure(const std::string& message);

    // Installation and the end.
    bool Install();
    void WriteUninstallEntry(const std::string& uninstaller);
    void RunFinishActions();
    void Quit(int exitCode);

    int Count() const { return static_cast<int>(FPages.size()); }

    // Components of the form resource.
    TPanel *pnlBase, *pnlButtonBase, *pnlPage1, *pnlPage2, *pnlPage3, *pnlPage4, *pnlPage5;
    TPanel *pnlPage2Top, *pnlPage3Top;
    TButton *btnPrev, *btnNext, *btnCancel, *btnPage3RefPath;
    TImage *imgLeft, *imgIcon;
    TDeactiveMemo *dmemoPage1Title, *dmemoPage1Explain, *dmemoPage1NextMsg, *dmemoPage2Explain,
        *dmemoPage3Explain, *dmemoPage3PathCaution, *dmemoPage4Explain, *dmemoPage5Message, *dmemoPage5EndMessage;
    TLabel *lblPage2Title, *lblPage3Title, *lblPage4Title, *lblPage5Title;
    TMemo* memoPage2EULA;
    TRadioButton *rdoPage2Agree, *rdoPage2Disagree;
    TCheckBox *chbxPage3InstallPath, *chbxPage3SetScreenSaver, *chbxPage4ShowReadMe, *chbxPage4OpenDialog;
    TEdit* edtPage3Path;
    TFlatBitColorBtn* btnPage5GetFlashPlayer;
    TBitmapList* bmplstImages;
    TFileEmbedder* embedderUninstaller;

    TInstallerData& FData;
    bool FPayloadIntact = false;
    // Settings, read once when the form is created.
    std::string FGuid, FDigest, FFlashVersion, FScrName, FTitle, FMessageJa, FMessageEn, FInstallerPath, FEula;
    uint32_t FDigestLength = 0;
    bool FSilent = false, FForceSet = false, FVerCheck = true, FTopImageVisible = true;
    TIcon FUninstallerIcon;
    TMemoryStream FReadmeStream, FScrStream;
    std::string FOriginalUser;
    bool FScreenSaverSet = true;
    bool FSetManuallyNoted = false;
    bool FValidName = true;
    // Navigation and results.
    std::vector<TPage> FPages;
    int FPageIndex = 0;
    TPanel* FCurrentPage = nullptr;
    std::string FReadmePath, FScrPath;
    int FExitCode = ecCancelled;
};

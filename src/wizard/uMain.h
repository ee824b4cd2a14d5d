// TfrmMain: the installer's one window, a wizard of welcome, licence, options and finish pages
// and a failure page. It takes the settings of the program's own data block when it is created,
// checks the payload and the player control, shows what the running test found, gathers the
// user's choices and runs the installation with them.
#pragma once
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include <string>
#include <vector>

struct TInstallerSwitches;
class TBitmapList;
class TTextLog;
class TInstallerData;
struct TInstallerSettings;
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

// Loads the messages from the string table in the system's language (the start of the program).
void LoadMessages();

// The program's exit code, as deployment tools read it.
enum TInstallerExitCode : int {
    ecInstalled = 0,      // installed, or the wizard reached its finish page
    ecCancelled = 1,      // cancelled before anything was installed
    ecCheckFailed = 2,    // invalid data, no suitable player control, screensaver running
    ecInstallFailed = 3,  // missing directory or a write failure
    ecNoAdminRights = 4,  // administrator rights missing or declined
    ecRunning = 5,        // the screensaver is running: try again when it has stopped
    ecPlayerMissing = 6,  // the player control is missing or too old (the wizard only)
};

// Whether the screensaver of that identifier runs: it holds a mutex of that name.
bool ScreensaverRunning(const std::string& guid);
// Whether this is the elevated instance the first one started on the user's behalf.
bool IsRunAsAdmin();

class TfrmMain : public TForm {
public:
    KESTRIN_CLASS(TfrmMain)
    // The data block is read by `data` meanwhile; the form takes what it holds when it is created.
    // `running`: the running test's result, which the form shows as its failure.
    // `switches`: the command line's ("/D=" is the directory the options page shows).
    TfrmMain(TComponent* owner, TInstallerData& data, bool running, const TInstallerSwitches& switches,
             TTextLog& log);
    ~TfrmMain() override;

    int ExitCode() const { return FExitCode; }

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
    void TakeSettings();
    void LoadPicture(TImage& image, const std::string& file);
    void ChooseDirectory();
    bool CheckIntegrity();
    void CheckFlashPlayer();
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
    // The failure page with the message; the program then ends with that exit code.
    void ShowFailure(const std::string& message, int exitCode);

    // Installation and the end.
    bool Install();
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
    const TInstallerSettings& FSettings;  // read once, before the form
    const bool FRunning;
    const TInstallerSwitches& FSwitches;
    TTextLog& FLog;
    bool FDirectoryRefused = false;  // "/D=" named a relative path or one that cannot be made
    std::string FTitle;
    std::string FOriginalUser;
    bool FScreenSaverSet = true;
    bool FSetManuallyNoted = false;
    // Navigation and results.
    std::vector<TPage> FPages;
    int FPageIndex = 0;
    TPanel* FCurrentPage = nullptr;
    std::string FReadmePath, FScrPath;
    int FExitCode = ecCancelled;
};

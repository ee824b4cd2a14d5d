// Drives an installer from outside, the way a user meets it: its processes, its top-level
// windows, and the controls on them, found by class and place on the form, read through
// window messages and pressed with BM_CLICK or real input.
#pragma once
#include <windows.h>
#include <chrono>
#include <string>
#include <vector>

namespace wizard {

// How long a window or a process end may take to come under a loaded Wine; KESTRIN_WAIT_SCALE=N
// multiplies it, for Wine in an emulated machine (scripts/wine-vm.sh), where all runs 20-50 times slower.
int ScaledWait(int ms);
inline const int WaitMs = ScaledWait(20000);

// Checks `done` every 20 ms until it holds; false when the time runs out.
template <class F> bool WaitFor(F done, int ms = WaitMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        Sleep(20);
    }
}

// Texts: expectations are written in UTF-8, windows answer in the ANSI code page.
std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);
// The lines a text panel shows, without the empty ones.
std::vector<std::string> ShownLines(const std::string& text);
std::vector<std::string> ShownLinesUtf8(const std::vector<std::string>& utf8Lines);

std::string ClassName(HWND window);
// The text through WM_GETTEXT, which reaches into an edit control of another process.
std::string Text(HWND window);
bool Checked(HWND window);

// Real input to whatever window is under the pointer or has the keyboard focus.
void ClickPoint(int x, int y);
void PressKey(WORD vk);
void TypeText(const std::string& ascii);

// One started program. A process that is still running when the object goes is ended.
class TProcess {
public:
    // Starts `exe` with `arguments` appended to its quoted path (none when empty).
    TProcess(const std::string& exe, const std::string& arguments);
    TProcess(TProcess&& other) noexcept;
    TProcess& operator=(TProcess&& other) noexcept;
    TProcess(const TProcess&) = delete;
    TProcess& operator=(const TProcess&) = delete;
    ~TProcess();

    bool Started() const { return FHandle != nullptr; }
    DWORD Id() const { return FId; }
    bool Running() const;
    // The exit code, or -1 when the process has not ended in time.
    int Wait(int ms = WaitMs);
    // The process this one started (the elevated relaunch); not started when none came.
    TProcess Child(int ms = WaitMs) const;
    // Visible top-level windows of the process with that class name.
    std::vector<HWND> Windows(const char* className) const;
    // Whether a top-level window of the process, shown or hidden, has that text.
    bool HasWindowTitled(const std::string& text) const;
    // The wizard form: the process's visible window whose client area is 580 x 335.
    HWND WaitForForm(int ms = WaitMs) const;
    // A dialog box of the process (message box, folder dialog).
    HWND WaitForDialog(int ms = WaitMs) const;

private:
    TProcess() = default;
    HANDLE FHandle = nullptr;
    DWORD FId = 0;
};

enum class TPage { Unknown, Welcome, Licence, Options, Finish, Failure };
const char* PageName(TPage page);

// The controls of the wizard form by their names in the form; each sits at a fixed place of
// the form's client area while its page is shown.
enum class TControl {
    Back, Next, Cancel,
    WelcomeTitle, WelcomeText, WelcomeHint,
    LicenceExplain, LicenceText, Agree, Disagree,
    OptionsExplain, ChangePath, Path, Browse, PathCaution, SetCurrent, SetCurrentMovedUp,
    FinishText, ShowReadme, OpenSettings,
    FailureText, GetPlayer, FailureHint,
};

class TWizard {
public:
    explicit TWizard(HWND form) : FForm(form) {}
    HWND Handle() const { return FForm; }
    std::string Caption() const { return Text(FForm); }
    // The visible control, or null when it is not shown.
    HWND Find(TControl control) const;
    // As Find, but a missing control fails the running test (and gives null).
    HWND Get(TControl control) const;
    bool Shown(TControl control) const { return Find(control) != nullptr; }
    bool Enabled(TControl control) const;
    bool IsChecked(TControl control) const;
    std::string TextOf(TControl control) const;
    std::vector<std::string> LinesOf(TControl control) const { return ShownLines(TextOf(control)); }
    TPage Page() const;
    bool WaitForPage(TPage page, int ms = WaitMs) const;
    // Every visible control with class, place, state and text: for failure messages.
    std::string Describe() const;

    // BM_CLICK sent, returning once the handler is done; only for controls a user could press.
    void Click(TControl control) const;
    // BM_CLICK posted, for handlers that open a modal window or run the installation.
    void PostClick(TControl control) const;
    void SetText(TControl control, const std::string& text) const;
    // Brings the form to the front (for screenshots and real input).
    void Activate() const;
    // The screen point at the middle of a control.
    POINT Centre(TControl control) const;

private:
    HWND FForm;
};

// The picture of the window's client area on the screen into <build>/wizard-pages/<name>.bmp.
void Screenshot(HWND window, const std::string& name);
// The form's picture, and beside it <name>.txt: "page: <name of the page>" and every control.
void Screenshot(const TWizard& w, const std::string& name);
// Removes the pictures (and their notes) whose names begin with `prefix`, e.g. "tour/en-".
void ForgetScreenshots(const std::string& prefix);

// A message box or folder dialog: its static texts and buttons.
std::vector<std::string> DialogTexts(HWND dialog);
bool PressDialogButton(HWND dialog, int id);
// The text of the selected item of the folder dialog's tree, read from the dialog's process.
std::string SelectedFolder(HWND dialog);

}  // namespace wizard

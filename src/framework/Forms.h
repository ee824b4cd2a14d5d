// Forms (top-level windows built from form resources), the application object with its
// message loop, and the screen.
#pragma once
#include "framework/Controls.h"
#include <string>
#include <vector>

class TButton;

// A form resource, or a component it should hold, is missing.
KESTRIN_EXCEPTION(EResNotFound, Exception);

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum : uint32_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = uint32_t;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

extern const TEnumInfo KBorderStyleInfo;

class TCustomForm : public TWinControl {
public:
    KESTRIN_CLASS(TCustomForm)
    // A form without a resource; a derived form calls LoadFormResource at the end of its
    // constructor to fill itself from the resource named after its class.
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons v);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle v);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int v) { FModalResult = v; }
    TButton* DefaultButton() const;
    TButton* CancelButton() const;

    TRect ClientRect() const override;
    void SetClientSize(int w, int h) override;
    void SetClientWidth(int w) { SetClientSize(w, ClientHeight()); }
    void SetClientHeight(int h) { SetClientSize(ClientWidth(), h); }
    void SetVisible(bool v) override;
    void Show() { SetVisible(true); BringToFront(); }
    void Close();
    int ShowModal();
    void Release();   // destroyed once the messages already queued are handled
    void BringToFront();

    void GetChildren(TFunctionRef<void(TComponent*)> proc, TComponent* root) override;
    void Properties(TPropFiler& f) override;
    void WndProc(TMessage& m) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TEvent<TObject*, TCloseAction&> OnClose;

protected:
    void LoadFormResource();
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
    void Loaded() override;
    void ApplyPosition();
    DWORD WindowStyle() const;
    DWORD WindowExStyle() const;

protected:
    // Runs OnDestroy once. A derived form whose handler uses its own members calls it first in
    // its destructor: by the time the base destructor runs, those members are gone.
    void DoDestroy();

private:
    TButton* FindButton(bool (TButton::*role)() const) const;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    int FModalResult = 0;
    bool FInModal = false;
    bool FPositioned = false;
    bool FCreated = false;
};

class TForm : public TCustomForm {
public:
    KESTRIN_CLASS(TForm)
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

class TApplication : public TComponent {
public:
    KESTRIN_CLASS(TApplication)
    TApplication();
    ~TApplication() override;
    // The title is the executable's name without directory and extension, first character as
    // it is and the rest in lower case, unless set.
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& t) { FTitle = t; }
    const std::string& ExeName() const { return FExeName; }
    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* f) { FMainForm = f; }
    bool ShowMainForm = true;
    bool Terminated() const { return FTerminated; }

    template <class T>
    T* CreateForm() {
        T* f = new T(this);
        if (!FMainForm) FMainForm = f;
        return f;
    }
    void Run();
    void ProcessMessages();
    void HandleMessage();
    void Terminate();
    void ReleaseForm(TCustomForm* f);

private:
    bool ProcessMessage(MSG& msg);
    bool IsShortCut(MSG& msg);
    void FreeReleased();
    std::string FTitle;
    std::string FExeName;
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    std::vector<TCustomForm*> FReleased;
};

class TScreen : public TObject {
public:
    KESTRIN_CLASS(TScreen)
    int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
    int FormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* Forms(int i) const { return FForms.at(static_cast<size_t>(i)); }
    void AddForm(TCustomForm* f) { FForms.push_back(f); }
    void RemoveForm(TCustomForm* f);
private:
    std::vector<TCustomForm*> FForms;
};

extern TApplication* Application;
extern TScreen* Screen;

// Registers the framework's control classes with the class registry (for form resources).
void RegisterFrameworkClasses();

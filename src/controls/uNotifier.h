// TNotifier: a small stay-on-top window with a message, optionally a progress bar and a cancel
// button, centred over a control or the screen; its owner is disabled while it shows.
#pragma once
#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

class TNotifier;

class TNotifyForm : public TForm {
public:
    KESTRIN_CLASS(TNotifyForm)
    TNotifyForm(TComponent* owner, TNotifier& notifier) : TForm(owner), FNotifier(notifier) {}
protected:
    void CreateParams(TCreateParams& p) override;
private:
    TNotifier& FNotifier;
};

class TNotifier : public TComponent {
public:
    KESTRIN_CLASS(TNotifier)
    explicit TNotifier(TComponent* owner);
    ~TNotifier() override;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v) { FCaption = v; }
    const std::string& Msg() const { return FMsg; }
    void SetMsg(const std::string& v);
    TProgressBar& ProgressBar() { return *FProgressBar; }
    bool CanCancel() const { return FCanCancel; }
    void SetCanCancel(bool v) { FCanCancel = v; }
    bool Showing() const { return FShowing; }
    bool ShowProgressBar() const { return FShowProgressBar; }
    void SetShowProgressBar(bool v) { FShowProgressBar = v; }
    bool IsCancel() const { return FIsCancel; }
    int32_t AdditionalCreateParams() const { return FAdditionalCreateParams; }
    void SetAdditionalCreateParams(int32_t v) { FAdditionalCreateParams = v; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    bool AdjustWidth() const { return FAdjustWidth; }
    void SetAdjustWidth(bool v) { FAdjustWidth = v; }
    TNotifyEvent OnCancel;

    void ShowCentered();
    void ShowOver(TControl* control);
    void ShowInRect(const TRect& r);
    void HideWindow();

    // For tests and callers that need the parts.
    TNotifyForm& Window() { return *FForm; }
    TLabel& Label() { return *FLabel; }
    TButton& CancelButton() { return *FButton; }

    void Properties(TPropFiler& f) override;
    void DefineProperties(TPropFiler& f) override;
    // "ClassData": the progress bar's properties; its writer is registered by the programs that
    // write forms (it brings the form writer; uControlClasses.cpp).
    void WriteClassData(TStream& stream);
    static void RegisterWriter();

private:
    void UpdateLayout();
    void CancelClick(TObject* sender);
    std::string FCaption;
    std::string FMsg;
    bool FCanCancel = false;
    bool FShowing = false;
    bool FShowProgressBar = false;
    bool FIsCancel = false;
    int32_t FAdditionalCreateParams = 0;
    TFormBorderStyle FBorderStyle = bsDialog;
    bool FAdjustWidth = false;
    TNotifyForm* FForm;
    TLabel* FLabel;
    TButton* FButton;
    TProgressBar* FProgressBar;
    TRect FAnchor;
    int FLabelWidth = 0;
    int FLabelHeight = 0;
};

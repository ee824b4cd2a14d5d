// Standard controls: label, push button, check box, radio button, edit and memo.
#pragma once
#include "framework/Controls.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TBorderStyle { bsNoBorder = 0, bsSingleBorder = 1 };

// Draws its caption on the parent; sizes itself to the text unless AutoSize is off.
class TLabel : public TGraphicControl {
public:
    KESTRIN_CLASS(TLabel)
    explicit TLabel(TComponent* owner);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment a) { if (a != FAlignment) { FAlignment = a; Invalidate(); } }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v) { if (v != FWordWrap) { FWordWrap = v; AdjustBounds(); Invalidate(); } }
    void AdjustBounds();
    void Properties(TPropFiler& f) override;
protected:
    void Paint(TCanvas& canvas) override;
    void TextChanged() override { AdjustBounds(); Invalidate(); }
    void FontChanged() override { TGraphicControl::FontChanged(); AdjustBounds(); }
    void Loaded() override { TGraphicControl::Loaded(); AdjustBounds(); }
    UINT TextFlags() const;
private:
    bool FAutoSize = true;
    bool FTransparent = false;
    bool FWordWrap = false;
    TAlignment FAlignment = taLeftJustify;
};

class TButtonControl : public TWinControl {
public:
    explicit TButtonControl(TComponent* owner) : TWinControl(owner) {}
protected:
    void CreateParams(TCreateParams& p) override;
};

class TButton : public TButtonControl {
public:
    KESTRIN_CLASS(TButton)
    explicit TButton(TComponent* owner);
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool v) { FCancel = v; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int v) { FModalResult = v; }
    void Click() override;
    void Properties(TPropFiler& f) override;
    void WndProc(TMessage& m) override;
protected:
    void CreateParams(TCreateParams& p) override;
    // Pushes the default look to the window; owner-drawn buttons only repaint.
    virtual void SetButtonStyle(bool isDefault);
private:
    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = 0;
};

// A button with a check state that its window shows (check boxes and radio buttons).
class TCheckedButton : public TButtonControl {
public:
    explicit TCheckedButton(TComponent* owner) : TButtonControl(owner) {}
    bool Checked() const { return FChecked; }
    virtual void SetChecked(bool v) = 0;
    void WndProc(TMessage& m) override;
protected:
    void CreateWnd() override;
    // Takes the state and shows it; false when it was the state already.
    bool StoreChecked(bool v);
    // What a click of the window does to the state.
    virtual bool ClickedState() const = 0;
    bool FChecked = false;
};

class TCheckBox : public TCheckedButton {
public:
    KESTRIN_CLASS(TCheckBox)
    explicit TCheckBox(TComponent* owner);
    // A change clicks the box (runs OnClick), as the user would.
    void SetChecked(bool v) override;
    void Properties(TPropFiler& f) override;
protected:
    void CreateParams(TCreateParams& p) override;
    bool ClickedState() const override { return !FChecked; }
};

class TRadioButton : public TCheckedButton {
public:
    KESTRIN_CLASS(TRadioButton)
    explicit TRadioButton(TComponent* owner);
    // Checking one unchecks the other radio buttons of the same parent.
    void SetChecked(bool v) override;
    void Properties(TPropFiler& f) override;
protected:
    void CreateParams(TCreateParams& p) override;
    bool ClickedState() const override { return true; }
};

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool v) { FHideSelection = v; }
    void SelectAll();
    void SetSelection(int start, int end);
    TNotifyEvent OnChange;
    void Properties(TPropFiler& f) override;
    void WndProc(TMessage& m) override;
protected:
    void CreateParams(TCreateParams& p) override;
    // The text as the window holds it (the user may have typed).
    std::string WindowText() const;
private:
    bool FReadOnly = false;
    TBorderStyle FBorderStyle = bsSingleBorder;
    bool FHideSelection = true;
};

class TEdit : public TCustomEdit {
public:
    KESTRIN_CLASS(TEdit)
    explicit TEdit(TComponent* owner);
    std::string GetText() const { return WindowText(); }
    void Properties(TPropFiler& f) override;
};

class TMemo : public TCustomEdit {
public:
    KESTRIN_CLASS(TMemo)
    explicit TMemo(TComponent* owner);
    // The text line by line; changing it shows at once. Text the user typed is read back first.
    // The text is the lines: set before the memo has its window, it is still what the window shows.
    void SetText(const std::string& s) override { Lines().SetText(s); }
    TStringList& Lines();
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    // Line operations on the window itself, for long texts that grow at the end.
    int LineCount();
    void AppendText(const std::string& text);
    void DeleteFirstLines(int count);
    void Properties(TPropFiler& f) override;
protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
private:
    void LinesChanged();
    TStringList FLines;
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
    bool FUpdatingLines = false;
};

#include "framework/StdCtrls.h"
#include "framework/Forms.h"

namespace {
const char* const KAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const TEnumInfo KAlignmentInfo = {KAlignmentNames, 3};
const char* const KScrollNames[] = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
const TEnumInfo KScrollInfo = {KScrollNames, 4};
const char* const KBorderNames[] = {"bsNone", "bsSingle"};
const TEnumInfo KEditBorderInfo = {KBorderNames, 2};
const TIntIdent KModalResults[] = {{0, "mrNone"}, {1, "mrOk"}, {2, "mrCancel"}, {3, "mrAbort"},
                                   {4, "mrRetry"}, {5, "mrIgnore"}, {6, "mrYes"}, {7, "mrNo"}};
const TIntIdentMap KModalMap = {KModalResults, 8};
}  // namespace

// ---- TLabel ----------------------------------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    InitColor(clBtnFace, true);
    FWidth = 65;
    FHeight = 17;
}

UINT TLabel::TextFlags() const {
    UINT f = DT_EXPANDTABS;
    if (FWordWrap) f |= DT_WORDBREAK;
    if (FAlignment == taCenter) f |= DT_CENTER;
    else if (FAlignment == taRightJustify) f |= DT_RIGHT;
    return f;
}

void TLabel::SetAutoSize(bool v) {
    if (v == FAutoSize) return;
    FAutoSize = v;
    AdjustBounds();
}

void TLabel::SetTransparent(bool v) {
    if (v == FTransparent) return;
    FTransparent = v;
    Invalidate();
}

void TLabel::AdjustBounds() {
    if (!FAutoSize || IsLoading()) return;
    TScreenDC screen;
    HDC dc = CreateCompatibleDC(screen.Get());
    TCanvas c;
    c.SetHandle(dc);
    c.Font().Assign(Font());
    TRect r = Rect(0, 0, FWordWrap ? FWidth : 0, 0);
    // An empty caption still takes one line's height.
    c.DrawText(FText.empty() ? std::string(" ") : FText, r, TextFlags() | DT_CALCRECT);
    c.SetHandle(nullptr);
    DeleteDC(dc);
    SetBounds(FLeft, FTop, FText.empty() ? 0 : r.Width(), r.Height());
}

void TLabel::Paint(TCanvas& canvas) {
    TRect r = ClientRect();
    if (!FTransparent) {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(r);
    }
    canvas.Brush().SetStyle(bsClear);
    if (!Enabled()) canvas.Font().SetColor(clGrayText);
    canvas.DrawText(FText, r, TextFlags());
}

void TLabel::Properties(TPropFiler& f) {
    TGraphicControl::Properties(f);
    f.Enum("Alignment", FAlignment, KAlignmentInfo, [this](int v) { SetAlignment(static_cast<TAlignment>(v)); }, taLeftJustify);
    f.Boolean("AutoSize", FAutoSize, [this](bool v) { SetAutoSize(v); }, true);
    f.Boolean("Transparent", FTransparent, [this](bool v) { SetTransparent(v); }, false);
    f.Boolean("WordWrap", FWordWrap, [this](bool v) { SetWordWrap(v); }, false);
}

// ---- buttons ---------------------------------------------------------------------------------

void TButtonControl::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.WinClassName = "BUTTON";
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    FTabStop = true;
    FWidth = 75;
    FHeight = 25;
    FPublishColor = false;
}

void TButton::CreateParams(TCreateParams& p) {
    TButtonControl::CreateParams(p);
    p.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool v) {
    if (v == FDefault) return;
    FDefault = v;
    SetButtonStyle(v);
}

void TButton::SetButtonStyle(bool isDefault) {
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    if (FModalResult != 0)
        if (TCustomForm* f = ParentForm()) f->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TButton::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == BN_CLICKED) Click();
        m.Result = 0;
        return;
    }
    TButtonControl::WndProc(m);
}

void TButton::Properties(TPropFiler& f) {
    TButtonControl::Properties(f);
    f.Boolean("Cancel", FCancel, [this](bool v) { SetCancel(v); }, false);
    f.Boolean("Default", FDefault, [this](bool v) { SetDefault(v); }, false);
    f.IntegerIdent("ModalResult", FModalResult, KModalMap, [this](int32_t v) { SetModalResult(v); }, 0);
    f.Boolean("TabStop", FTabStop, [this](bool v) { SetTabStop(v); }, true);
}

void TCheckedButton::CreateWnd() {
    TButtonControl::CreateWnd();
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckedButton::StoreChecked(bool v) {
    if (v == FChecked) return false;
    FChecked = v;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
    return true;
}

void TCheckedButton::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == BN_CLICKED) SetChecked(ClickedState());
        m.Result = 0;
        return;
    }
    TButtonControl::WndProc(m);
}

TCheckBox::TCheckBox(TComponent* owner) : TCheckedButton(owner) {
    FTabStop = true;
    FWidth = 97;
    FHeight = 17;
}

void TCheckBox::CreateParams(TCreateParams& p) {
    TButtonControl::CreateParams(p);
    p.Style |= BS_CHECKBOX;
}

void TCheckBox::SetChecked(bool v) {
    if (StoreChecked(v) && !IsLoading()) Click();
}

void TCheckBox::Properties(TPropFiler& f) {
    TButtonControl::Properties(f);
    f.Boolean("Checked", FChecked, [this](bool v) { SetChecked(v); }, false);
    f.Boolean("TabStop", FTabStop, [this](bool v) { SetTabStop(v); }, true);
}

TRadioButton::TRadioButton(TComponent* owner) : TCheckedButton(owner) {
    FWidth = 113;
    FHeight = 17;
}

void TRadioButton::CreateParams(TCreateParams& p) {
    TButtonControl::CreateParams(p);
    p.Style |= BS_RADIOBUTTON;
    if (FChecked) p.Style |= WS_TABSTOP;
}

void TRadioButton::SetChecked(bool v) {
    if (!StoreChecked(v) || !v) return;
    if (Parent())
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* r = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); r && r != this) r->SetChecked(false);
    if (!IsLoading()) Click();
}

void TRadioButton::Properties(TPropFiler& f) {
    TButtonControl::Properties(f);
    f.Boolean("Checked", FChecked, [this](bool v) { SetChecked(v); }, false);
}

// ---- edit and memo ---------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    FTabStop = true;
    InitColor(clWindow, false);
    FWidth = 121;
    FHeight = 21;
}

void TCustomEdit::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.WinClassName = "EDIT";
    if (FReadOnly) p.Style |= ES_READONLY;
    if (!FHideSelection) p.Style |= ES_NOHIDESEL;
    if (FBorderStyle == bsSingleBorder) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::SetReadOnly(bool v) {
    if (v == FReadOnly) return;
    FReadOnly = v;
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, v, 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    if (HandleAllocated()) {
        LONG ex = GetWindowLongA(Handle(), GWL_EXSTYLE);
        SetWindowLongA(Handle(), GWL_EXSTYLE, v == bsSingleBorder ? (ex | WS_EX_CLIENTEDGE) : (ex & ~WS_EX_CLIENTEDGE));
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
}

void TCustomEdit::SelectAll() { SetSelection(0, -1); }

void TCustomEdit::SetSelection(int start, int end) {
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(start), end);
}

std::string TCustomEdit::WindowText() const {
    if (!HandleAllocated()) return FText;
    HWND h = const_cast<TCustomEdit*>(this)->Handle();
    int n = GetWindowTextLengthA(h);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return s;
}

void TCustomEdit::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == EN_CHANGE) {
            FText = WindowText();
            OnChange(this);
        }
        m.Result = 0;
        return;
    }
    if (m.Msg == CN_CTLCOLORSTATIC && ReadOnly()) m.Msg = CN_CTLCOLOREDIT;  // a read-only edit keeps its own colour
    TWinControl::WndProc(m);
}

void TCustomEdit::Properties(TPropFiler& f) {
    TWinControl::Properties(f);
    f.Enum("BorderStyle", FBorderStyle, KEditBorderInfo, [this](int v) { SetBorderStyle(static_cast<TBorderStyle>(v)); }, bsSingleBorder);
    f.Boolean("HideSelection", FHideSelection, [this](bool v) { SetHideSelection(v); }, true);
    f.Boolean("ReadOnly", FReadOnly, [this](bool v) { SetReadOnly(v); }, false);
    f.Boolean("TabStop", FTabStop, [this](bool v) { SetTabStop(v); }, true);
    f.Event("OnChange", OnChange);
}

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner) {
    FPublishCaption = false;
}

void TEdit::Properties(TPropFiler& f) {
    TCustomEdit::Properties(f);
    f.String("Text", FText, [this](const std::string& v) { SetText(v); });
}

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner) {
    FPublishCaption = false;
    FWidth = 185;
    FHeight = 89;
    FLines.OnChange = [this](TObject*) { LinesChanged(); };
}

void TMemo::CreateParams(TCreateParams& p) {
    TCustomEdit::CreateParams(p);
    p.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    if (!FWordWrap || FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= ES_AUTOHSCROLL;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) p.Style |= WS_VSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= WS_HSCROLL;
    p.Caption.clear();
}

void TMemo::CreateWnd() {
    TCustomEdit::CreateWnd();
    if (!HandleAllocated()) return;
    SendMessageA(Handle(), EM_SETLIMITTEXT, 0, 0);
    LinesChanged();
}

TStringList& TMemo::Lines() {
    if (HandleAllocated() && !FUpdatingLines) {
        std::string t = WindowText();
        std::string mine;
        for (int i = 0; i < FLines.Count(); ++i) { if (i) mine += "\r\n"; mine += FLines[i]; }
        if (t != mine) {
            FUpdatingLines = true;
            TNotifyEvent keep = FLines.OnChange;
            FLines.OnChange = TNotifyEvent();
            FLines.SetText(t);
            FLines.OnChange = keep;
            FUpdatingLines = false;
        }
    }
    return FLines;
}

void TMemo::LinesChanged() {
    std::string t;
    for (int i = 0; i < FLines.Count(); ++i) { if (i) t += "\r\n"; t += FLines[i]; }
    FText = t;
    if (HandleAllocated()) {
        FUpdatingLines = true;
        SetWindowTextA(Handle(), t.c_str());
        FUpdatingLines = false;
    }
}

void TMemo::SetScrollBars(TScrollStyle v) {
    if (v == FScrollBars) return;
    FScrollBars = v;
    if (HandleAllocated()) { DestroyHandle(); HandleNeeded(); }
}

void TMemo::SetWordWrap(bool v) {
    if (v == FWordWrap) return;
    FWordWrap = v;
    if (HandleAllocated()) { DestroyHandle(); HandleNeeded(); }
}

int TMemo::LineCount() {
    if (!HandleAllocated()) return FLines.Count();
    int n = static_cast<int>(SendMessageA(Handle(), EM_GETLINECOUNT, 0, 0));
    // The window counts an empty last line after a final line break.
    int len = GetWindowTextLengthA(Handle());
    if (len == 0) return 0;
    int lastStart = static_cast<int>(SendMessageA(Handle(), EM_LINEINDEX, static_cast<WPARAM>(n - 1), 0));
    if (lastStart == len) --n;
    return n;
}

void TMemo::AppendText(const std::string& text) {
    HWND h = Handle();
    int len = GetWindowTextLengthA(h);
    SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(len), len);
    std::string s = text;
    if (len > 0 && LineCount() > 0) {
        // Continue after the last line.
        int n = static_cast<int>(SendMessageA(h, EM_GETLINECOUNT, 0, 0));
        int lastStart = static_cast<int>(SendMessageA(h, EM_LINEINDEX, static_cast<WPARAM>(n - 1), 0));
        if (lastStart != len) s = "\r\n" + s;
    }
    SendMessageA(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(s.c_str()));
    FText.clear();
}

void TMemo::DeleteFirstLines(int count) {
    if (count <= 0) return;
    HWND h = Handle();
    int total = static_cast<int>(SendMessageA(h, EM_GETLINECOUNT, 0, 0));
    int end = count >= total ? GetWindowTextLengthA(h) : static_cast<int>(SendMessageA(h, EM_LINEINDEX, static_cast<WPARAM>(count), 0));
    SendMessageA(h, EM_SETSEL, 0, end);
    SendMessageA(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
}

void TMemo::Properties(TPropFiler& f) {
    TCustomEdit::Properties(f);
    f.Strings("Lines", Lines());
    f.Enum("ScrollBars", FScrollBars, KScrollInfo, [this](int v) { SetScrollBars(static_cast<TScrollStyle>(v)); }, ssNone);
    f.Boolean("WordWrap", FWordWrap, [this](bool v) { SetWordWrap(v); }, true);
}

#include "controls/uNotifier.h"
#include <cmath>

void TNotifyForm::CreateParams(TCreateParams& p) {
    TForm::CreateParams(p);
    p.Style |= static_cast<DWORD>(FNotifier.AdditionalCreateParams());
}

TNotifier::TNotifier(TComponent* owner) : TComponent(owner) {
    FForm = new TNotifyForm(this, *this);
    FForm->SetFormStyle(fsStayOnTop);
    FForm->SetBorderStyle(bsDialog);
    FForm->SetBorderIcons(0);
    FLabel = new TLabel(this);
    FLabel->SetParent(FForm);
    FLabel->SetTransparent(true);
    FButton = new TButton(this);
    FButton->SetParent(FForm);
    FButton->SetVisible(false);
    FButton->SetHeight(20);
    FButton->SetModalResult(mrCancel);
    FButton->SetCancel(true);
    // "ｷｬﾝｾﾙ(&C)" in half-width katakana, in the program's code page.
    FButton->SetCaption("\xB7\xAC\xDD\xBE\xD9(&C)");
    FButton->OnClick = [this](TObject* s) { CancelClick(s); };
    FProgressBar = new TProgressBar(this);
    FProgressBar->SetParent(FForm);
    FProgressBar->SetVisible(false);
    FCaption = Application->Title();
}

TNotifier::~TNotifier() {
    if (FShowing) HideWindow();
    delete FLabel;
    FLabel = nullptr;
    FForm->Release();
}

void TNotifier::SetBorderStyle(TFormBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    FForm->SetBorderStyle(v);
}

void TNotifier::ShowCentered() { ShowInRect(Rect(0, 0, Screen->Width(), Screen->Height())); }

void TNotifier::ShowOver(TControl* control) {
    if (!control) {
        ShowCentered();
        return;
    }
    TRect r = control->BoundsRect();
    if (control->Parent()) {
        TPoint o = control->Parent()->ClientToScreen({0, 0});
        r = Bounds(r.Left + o.X, r.Top + o.Y, r.Width(), r.Height());
    }
    ShowInRect(r);
}

void TNotifier::ShowInRect(const TRect& r) {
    FIsCancel = false;
    FAnchor = r;
    UpdateLayout();
    FShowing = true;
    FForm->SetVisible(true);
    if (auto* w = dynamic_cast<TWinControl*>(Owner())) w->SetEnabled(false);
    FLabel->Repaint();
    FForm->Repaint();
}

void TNotifier::HideWindow() {
    if (auto* w = dynamic_cast<TWinControl*>(Owner())) {
        w->SetEnabled(true);
        if (w->HandleAllocated()) SetForegroundWindow(w->Handle());
    }
    FForm->SetVisible(false);
    FShowing = false;
}

void TNotifier::SetMsg(const std::string& v) {
    FMsg = v;
    FLabel->SetCaption(v);
    if (FLabel->Height() != FLabelHeight || (FAdjustWidth && FLabel->Width() != FLabelWidth)) UpdateLayout();
    FLabelWidth = FLabel->Width();
    FLabel->Repaint();
    FForm->Repaint();
}

void TNotifier::CancelClick(TObject*) {
    FIsCancel = true;
    OnCancel(this);
    HideWindow();
}

void TNotifier::UpdateLayout() {
    FForm->SetCaption(FCaption);
    FLabel->SetCaption(FMsg);
    int ch = FLabel->Height() + 30;
    if (FCanCancel) ch += FButton->Height();
    if (FShowProgressBar) ch += FProgressBar->Height();
    TCanvas& canvas = FForm->ControlCanvas();
    int w = std::max(FLabel->Width(), canvas.TextWidth(FCaption));
    if (FCanCancel) w = std::max(w, FButton->Width());
    int cw = static_cast<int>(std::nearbyint(w * 1.2));
    FForm->SetClientSize(cw, ch);
    int top = (FCanCancel || FShowProgressBar) ? 8 : (ch - FLabel->Height()) / 2;
    FLabelHeight = FLabel->Height();
    FLabelWidth = FLabel->Width();
    FLabel->SetBounds(9, top, FLabel->Width(), FLabel->Height());
    FProgressBar->SetVisible(FShowProgressBar);
    if (FShowProgressBar) FProgressBar->SetBounds(9, FLabel->Top() + FLabel->Height() + 12, cw - 16, FProgressBar->Height());
    FButton->SetVisible(FCanCancel);
    if (FCanCancel) {
        int bt = FShowProgressBar ? FProgressBar->Top() + FProgressBar->Height() + 4 : FLabel->Top() + FLabel->Height() + 10;
        FButton->SetBounds((cw - FButton->Width()) / 2, bt, FButton->Width(), FButton->Height());
    }
    const TRect& a = FAnchor;
    FForm->SetBounds(a.Left + (a.Width() - FForm->Width()) / 2, a.Top + (a.Height() - FForm->Height()) / 2,
                     FForm->Width(), FForm->Height());
}

void TNotifier::Properties(TPropFiler& f) {
    TComponent::Properties(f);
    f.String("Caption", FCaption, [this](const std::string& v) { SetCaption(v); }, true);
    f.String("Msg", FMsg, [this](const std::string& v) { SetMsg(v); }, true);
    f.Boolean("CanCancel", FCanCancel, [this](bool v) { SetCanCancel(v); }, std::nullopt);
    f.Boolean("ShowProgressBar", FShowProgressBar, [this](bool v) { SetShowProgressBar(v); }, std::nullopt);
    f.Integer("AdditionalCreateParams", FAdditionalCreateParams, [this](int32_t v) { SetAdditionalCreateParams(v); }, 0);
    f.Enum("BorderStyle", FBorderStyle, KBorderStyleInfo, [this](int v) { SetBorderStyle(static_cast<TFormBorderStyle>(v)); }, bsDialog);
    f.Boolean("AdjustWidth", FAdjustWidth, [this](bool v) { SetAdjustWidth(v); }, false);
    f.Event("OnCancel", OnCancel);
}

void TNotifier::DefineProperties(TPropFiler& f) {
    // The progress bar's own published properties, streamed into the existing bar.
    f.DefineBinaryProperty("ClassData",
        [this](TStream& s) {
            TFormObject o = ReadFormBinary(s);
            ReadComponentProperties(*FProgressBar, o, dynamic_cast<TComponent*>(Owner()));
        },
        true);
}

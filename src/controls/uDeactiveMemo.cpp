#include "controls/uDeactiveMemo.h"

TDeactiveMemo::TDeactiveMemo(TComponent* owner) : TCustomPanel(owner), FLines(new TStringList()) {
    FMemo = new TMemo(this);
    FMemo->SetParent(this);
    FMemo->SetAlign(alClient);
    FMemo->SetReadOnly(true);
    FMemo->SetBorderStyle(bsNoBorder);
    FMemo->SetParentColor(true);
    FMemo->SetParentFont(true);
    FMemo->SetTabStop(false);  // the disabled panel keeps the keyboard out as well
    FLines->OnChange = [this](TObject*) { FMemo->Lines().Assign(*FLines); };
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    SetCaption("");
    SetTabStop(false);
    // The panel's streaming default of ParentColor stays False, of Enabled True: both are written.
    InitColor(clBtnFace, false);
    SetParentColor(true);
    SetEnabled(false);
}

TDeactiveMemo::~TDeactiveMemo() {
    delete FMemo;
    FLines->OnChange = TNotifyEvent();
    delete FLines;
}

void TDeactiveMemo::SetParent(TWinControl* parent) {
    TCustomPanel::SetParent(parent);
    if (parent && ParentColor()) {
        TColor c = parent->Color();
        CopyParentColor();
        FMemo->SetColor(c);
    }
}

void TDeactiveMemo::Properties(TPropFiler& f) {
    f.Strings("Lines", *FLines);
    TCustomPanel::Properties(f);
}

void TDeactiveMemo::DefineProperties(TPropFiler& f) {
    TCustomPanel::DefineProperties(f);
    f.DefineProperty("RealLines", [this](const TFormValue& v) { FLines->SetText(v.AsString("RealLines")); },
                     [this] { return TFormValue::String(FLines->Text()); }, FLines->Count() > 0);
}

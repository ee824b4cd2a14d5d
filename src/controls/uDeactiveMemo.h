// TDeactiveMemo: multi-line text that looks like part of the page: a borderless read-only memo
// inside a disabled borderless panel, so the text can be neither focused, selected nor scrolled.
#pragma once
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"

class TDeactiveMemo : public TCustomPanel {
public:
    KESTRIN_CLASS(TDeactiveMemo)
    explicit TDeactiveMemo(TComponent* owner);
    ~TDeactiveMemo() override;
    TStringList& Lines() { return *FLines; }
    void SetLines(const TStringList& v) { FLines->Assign(v); }
    TMemo& Memo() { return *FMemo; }
    void SetParent(TWinControl* parent) override;
    void Properties(TPropFiler& f) override;
    void DefineProperties(TPropFiler& f) override;
private:
    TMemo* FMemo;
    TStringList* FLines;
};

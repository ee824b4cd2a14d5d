// The progress bar of the common controls.
#pragma once
#include "framework/Controls.h"

class TProgressBar : public TWinControl {
public:
    KESTRIN_CLASS(TProgressBar)
    explicit TProgressBar(TComponent* owner);
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    void SetRange(int min, int max);
    void SetMin(int v) { SetRange(v, FMax); }
    void SetMax(int v) { SetRange(FMin, v); }
    int Position() const { return FPosition; }
    void SetPosition(int v);
    int Step() const { return FStep; }
    void SetStep(int v) { FStep = v; }
    void StepIt() { SetPosition(FPosition + FStep > FMax ? FMin + (FPosition + FStep - FMax) : FPosition + FStep); }
    void Properties(TPropFiler& f) override;
protected:
    void CreateParams(TCreateParams& p) override;
    void CreateWnd() override;
private:
    int FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
};

// Panels, bevels and images.
#pragma once
#include "framework/Controls.h"
#include "framework/StdCtrls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomPanel : public TCustomControl {
public:
    KESTRIN_CLASS(TCustomPanel)
    explicit TCustomPanel(TComponent* owner);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut v) { if (v != FBevelInner) { FBevelInner = v; Realign(); Invalidate(); } }
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut v) { if (v != FBevelOuter) { FBevelOuter = v; Realign(); Invalidate(); } }
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v) { if (v != FBevelWidth) { FBevelWidth = v; Realign(); Invalidate(); } }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment a) { if (a != FAlignment) { FAlignment = a; Invalidate(); } }
    void Properties(TPropFiler& f) override;
protected:
    void Paint(TCanvas& canvas) override;
    void AlignControls(TRect& r) override;
    int BorderSize() const;
private:
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
public:
    KESTRIN_CLASS(TPanel)
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
public:
    KESTRIN_CLASS(TBevel)
    explicit TBevel(TComponent* owner);
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape v) { if (v != FShape) { FShape = v; Invalidate(); } }
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle v) { if (v != FStyle) { FStyle = v; Invalidate(); } }
    void Properties(TPropFiler& f) override;
protected:
    void Paint(TCanvas& canvas) override;
private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

class TImage : public TGraphicControl {
public:
    KESTRIN_CLASS(TImage)
    explicit TImage(TComponent* owner);
    TBitmap& Picture() { return FPicture; }
    void PictureChanged() { Invalidate(); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool v) { if (v != FStretch) { FStretch = v; Invalidate(); } }
    bool Center() const { return FCenter; }
    void SetCenter(bool v) { if (v != FCenter) { FCenter = v; Invalidate(); } }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) { if (v != FTransparent) { FTransparent = v; Invalidate(); } }
    void Properties(TPropFiler& f) override;
protected:
    void Paint(TCanvas& canvas) override;
private:
    TBitmap FPicture;
    bool FStretch = false;
    bool FCenter = false;
    bool FTransparent = false;
};

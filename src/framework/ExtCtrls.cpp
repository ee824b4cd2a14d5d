#include "framework/ExtCtrls.h"
#include "framework/ComCtrls.h"
#include <commctrl.h>

namespace {
const char* const KBevelCutNames[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
const TEnumInfo KBevelCutInfo = {KBevelCutNames, 4};
const char* const KAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const TEnumInfo KAlignmentInfo = {KAlignmentNames, 3};
const char* const KShapeNames[] = {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"};
const TEnumInfo KShapeInfo = {KShapeNames, 7};
const char* const KStyleNames[] = {"bsLowered", "bsRaised"};
const TEnumInfo KStyleInfo = {KStyleNames, 2};

// A frame of width lines: top-left in one colour, bottom-right in the other; r shrinks.
void Frame3D(TCanvas& c, TRect& r, TColor topLeft, TColor bottomRight, int width) {
    for (int i = 0; i < width; ++i) {
        c.Pen().SetStyle(psSolid);
        c.Pen().SetColor(topLeft);
        c.MoveTo(r.Left, r.Bottom - 1);
        c.LineTo(r.Left, r.Top);
        c.LineTo(r.Right - 1, r.Top);
        c.Pen().SetColor(bottomRight);
        c.LineTo(r.Right - 1, r.Bottom - 1);
        c.LineTo(r.Left - 1, r.Bottom - 1);
        r.Left++; r.Top++; r.Right--; r.Bottom--;
    }
}
}  // namespace

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    InitColor(clBtnFace, false);
    FWidth = 185;
    FHeight = 41;
}

int TCustomPanel::BorderSize() const {
    int n = 0;
    if (FBevelOuter != bvNone) n += FBevelWidth;
    if (FBevelInner != bvNone) n += FBevelWidth;
    return n;
}

void TCustomPanel::AlignControls(TRect& r) {
    int b = BorderSize();
    r.Left += b; r.Top += b; r.Right -= b; r.Bottom -= b;
    TCustomControl::AlignControls(r);
}

void TCustomPanel::Paint(TCanvas& canvas) {
    TRect r = ClientRect();
    if (FBevelOuter != bvNone && FBevelOuter != bvSpace)
        Frame3D(canvas, r, FBevelOuter == bvLowered ? clBtnShadow : clBtnHighlight,
                FBevelOuter == bvLowered ? clBtnHighlight : clBtnShadow, FBevelWidth);
    else if (FBevelOuter == bvSpace)
        Frame3D(canvas, r, Color(), Color(), FBevelWidth);
    if (FBevelInner != bvNone && FBevelInner != bvSpace)
        Frame3D(canvas, r, FBevelInner == bvLowered ? clBtnShadow : clBtnHighlight,
                FBevelInner == bvLowered ? clBtnHighlight : clBtnShadow, FBevelWidth);
    if (!FText.empty()) {
        canvas.Brush().SetStyle(bsClear);
        UINT f = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
        f |= FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
        canvas.DrawText(FText, r, f);
    }
}

void TCustomPanel::Properties(TPropFiler& f) {
    TCustomControl::Properties(f);
    f.Enum("Alignment", FAlignment, KAlignmentInfo, [this](int v) { SetAlignment(static_cast<TAlignment>(v)); }, taCenter);
    f.Enum("BevelInner", FBevelInner, KBevelCutInfo, [this](int v) { SetBevelInner(static_cast<TBevelCut>(v)); }, bvNone);
    f.Enum("BevelOuter", FBevelOuter, KBevelCutInfo, [this](int v) { SetBevelOuter(static_cast<TBevelCut>(v)); }, bvRaised);
    f.Integer("BevelWidth", FBevelWidth, [this](int32_t v) { SetBevelWidth(v); }, 1);
    f.Boolean("TabStop", FTabStop, [this](bool v) { SetTabStop(v); }, false);
    f.Event("OnResize", OnResize);
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    FPublishCaption = false;
    FPublishColor = false;
    FPublishFont = false;
    FWidth = 50;
    FHeight = 50;
}

void TBevel::Paint(TCanvas& c) {
    TColor c1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor c2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    int w = FWidth, h = FHeight;
    auto line = [&](TColor col, int x1, int y1, int x2, int y2) {
        c.Pen().SetStyle(psSolid);
        c.Pen().SetColor(col);
        c.MoveTo(x1, y1);
        c.LineTo(x2, y2);
    };
    switch (FShape) {
    case bsBox: {
        TRect r = Rect(0, 0, w, h);
        Frame3D(c, r, c1, c2, 1);
        break;
    }
    case bsFrame: {
        TRect r = Rect(0, 0, w - 1, h - 1);
        Frame3D(c, r, c1, c1, 1);
        r = Rect(1, 1, w, h);
        Frame3D(c, r, c2, c2, 1);
        break;
    }
    case bsTopLine: line(c1, 0, 0, w, 0); line(c2, 0, 1, w, 1); break;
    case bsBottomLine: line(c1, 0, h - 2, w, h - 2); line(c2, 0, h - 1, w, h - 1); break;
    case bsLeftLine: line(c1, 0, 0, 0, h); line(c2, 1, 0, 1, h); break;
    case bsRightLine: line(c1, w - 2, 0, w - 2, h); line(c2, w - 1, 0, w - 1, h); break;
    case bsSpacer: break;
    }
}

void TBevel::Properties(TPropFiler& f) {
    TGraphicControl::Properties(f);
    f.Enum("Shape", FShape, KShapeInfo, [this](int v) { SetShape(static_cast<TBevelShape>(v)); }, bsBox);
    f.Enum("Style", FStyle, KStyleInfo, [this](int v) { SetStyle(static_cast<TBevelStyle>(v)); }, bsLowered);
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    FPublishCaption = false;
    FPublishColor = false;
    FPublishFont = false;
    FWidth = 105;
    FHeight = 105;
}

void TImage::Paint(TCanvas& c) {
    if (FPicture.Empty()) return;
    if (FStretch) {
        c.StretchDraw(Rect(0, 0, FWidth, FHeight), FPicture);
    } else if (FCenter) {
        c.Draw((FWidth - FPicture.Width()) / 2, (FHeight - FPicture.Height()) / 2, FPicture);
    } else {
        c.Draw(0, 0, FPicture);
    }
}

void TImage::Properties(TPropFiler& f) {
    TGraphicControl::Properties(f);
    f.Boolean("Center", FCenter, [this](bool v) { SetCenter(v); }, false);
    f.Boolean("Stretch", FStretch, [this](bool v) { SetStretch(v); }, false);
    f.Boolean("Transparent", FTransparent, [this](bool v) { SetTransparent(v); }, false);
}

// ---- progress bar ----------------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
    FPublishCaption = false;
    FPublishColor = false;
    FWidth = 150;
    FHeight = GetSystemMetrics(SM_CYVSCROLL);
}

void TProgressBar::CreateParams(TCreateParams& p) {
    static bool initialised = false;
    if (!initialised) {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        initialised = true;
    }
    TWinControl::CreateParams(p);
    p.WinClassName = PROGRESS_CLASSA;
}

void TProgressBar::CreateWnd() {
    TWinControl::CreateWnd();
    if (!HandleAllocated()) return;
    SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    SendMessageA(Handle(), PBM_SETSTEP, static_cast<WPARAM>(FStep), 0);
    SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetRange(int min, int max) {
    if (max < min) max = min;
    FMin = min;
    FMax = max;
    if (FPosition < min) FPosition = min;
    if (FPosition > max) FPosition = max;
    if (HandleAllocated()) {
        SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
        SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
    }
}

void TProgressBar::SetPosition(int v) {
    if (v < FMin) v = FMin;
    if (v > FMax) v = FMax;
    FPosition = v;
    if (HandleAllocated()) SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(v), 0);
}

void TProgressBar::Properties(TPropFiler& f) {
    TWinControl::Properties(f);
    f.Integer("Min", FMin, [this](int32_t v) { SetMin(v); }, 0);
    f.Integer("Max", FMax, [this](int32_t v) { SetMax(v); }, 100);
    f.Integer("Position", FPosition, [this](int32_t v) { SetPosition(v); }, 0);
    f.Integer("Step", FStep, [this](int32_t v) { SetStep(v); }, 10);
}

// Owner-drawn push buttons: TColorBtn (face in its own colour), TBitColorBtn (with a picture
// from a bitmap list) and TFlatBitColorBtn (flat until hovered, optionally a grouped toggle).
#pragma once
#include "controls/uBitmapList.h"
#include "controls/uBitmapListClient.h"
#include "controls/uGraphUtils.h"
#include "framework/StdCtrls.h"
#include <vector>

class TColorBtn : public TButton {
public:
    KESTRIN_CLASS(TColorBtn)
    explicit TColorBtn(TComponent* owner);
    ~TColorBtn() override;

    bool SyncFontColor() const { return FSyncFontColor; }
    void SetSyncFontColor(bool v);
    bool Emphasis() const { return FEmphasis; }
    virtual void SetEmphasis(bool v);
    bool UseTheme() const { return FUseTheme; }
    void SetUseTheme(bool v) { if (v != FUseTheme) { FUseTheme = v; Invalidate(); } }
    bool Hover() const { return FHover; }
    bool IsThemed() const;

    void WndProc(TMessage& m) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Properties(TPropFiler& f) override;

protected:
    void CreateParams(TCreateParams& p) override;
    void SetButtonStyle(bool isDefault) override { Invalidate(); }
    virtual void DrawItem(const DRAWITEMSTRUCT& d);
    virtual void DrawFrame(bool pressed, TRect& r);
    virtual void DrawFocus(bool focused);
    virtual void DrawCaption(bool pressed, const TRect& r);
    virtual int GetFocusOffset();
    void ApplyFontColorRule();
    void SetEmphasisField(bool v) { FEmphasis = v; }
    bool FHover = false;
    TCanvas* FCanvas;

private:
    bool FSyncFontColor = false;
    bool FEmphasis = true;
    bool FUseTheme = true;
};

class TBitColorBtn : public TColorBtn, public IBitmapListClient {
public:
    KESTRIN_CLASS(TBitColorBtn)
    explicit TBitColorBtn(TComponent* owner);
    ~TBitColorBtn() override;

    TCaptionPosition CaptionPosition() const { return FCaptionPosition; }
    virtual void SetCaptionPosition(TCaptionPosition v);
    TBitmapList* BitmapList() const { return FBitmapList; }
    void SetBitmapListProp(TBitmapList* v);
    const std::string& ImageID() const { return FImageID; }
    void SetImageID(const std::string& v) { if (v != FImageID) { FImageID = v; Invalidate(); } }
    const std::string& DisableID() const { return FDisableID; }
    void SetDisableID(const std::string& v) { if (v != FDisableID) { FDisableID = v; Invalidate(); } }

    // IBitmapListClient
    void GetImageIDs(TStrings& strings) override { strings.Add(FImageID); }
    void ImageChanged() override { Invalidate(); }
    void SetBitmapList(TBitmapList* value) override { SetBitmapListProp(value); }
    TBitmapList* GetBitmapList() override { return FBitmapList; }

    void Properties(TPropFiler& f) override;

protected:
    void DrawItem(const DRAWITEMSTRUCT& d) override;
    void DrawCaption(bool pressed, const TRect& r) override;
    virtual void DrawBitmap(int x, int y, TBitmap& image, TBitmap& mask);
    virtual void GetBitmaps(bool pressed, TBitmap& image, TBitmap& mask);
    void Notification(TComponent* c, TOperation op) override;
    TBitmap* FBuffer = nullptr;

private:
    TCaptionPosition FCaptionPosition = TCaptionPosition::cpBottom;
    TBitmapList* FBitmapList = nullptr;
    std::string FImageID = "Image";
    std::string FDisableID;
};

class TFlatBitColorBtn : public TBitColorBtn {
public:
    KESTRIN_CLASS(TFlatBitColorBtn)
    explicit TFlatBitColorBtn(TComponent* owner);
    ~TFlatBitColorBtn() override;

    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v) { FGroupIndex = v; }
    bool Cool() const { return FCool; }
    void SetCool(bool v) { FCool = v; }
    bool Toggle() const { return FToggle; }
    void SetToggle(bool v) { FToggle = v; }
    bool Down() const { return FDown; }
    void SetDown(bool v);
    bool DownFixed() const { return FDownFixed; }
    void SetDownFixed(bool v) { FDownFixed = v; }
    bool ClosingLine() const { return FClosingLine; }
    void SetClosingLine(bool v) { if (v != FClosingLine) { FClosingLine = v; Invalidate(); } }
    TColor ClosingLineColor() const { return FClosingLineColor; }
    void SetClosingLineColor(TColor v) { if (v != FClosingLineColor) { FClosingLineColor = v; Invalidate(); } }
    bool FocusFrame() const { return FFocusFrame; }
    void SetFocusFrame(bool v) { if (v != FFocusFrame) { FFocusFrame = v; Invalidate(); } }
    int FocusMargin() const { return FFocusMargin; }
    void SetFocusMargin(int v) { if (v != FFocusMargin) { FFocusMargin = v; Invalidate(); } }

    void WndProc(TMessage& m) override;
    void Properties(TPropFiler& f) override;

    TNotifyEvent OnDown;
    TNotifyEvent OnUp;
    TNotifyEvent OnMouseIn;
    TNotifyEvent OnMouseOut;

protected:
    void DrawFrame(bool pressed, TRect& r) override;
    void DrawFocus(bool focused) override;
    int GetFocusOffset() override { return -FFocusMargin; }

private:
    bool LDown();
    void DrawOutline(TPenStyle style, TColor color);
    int FGroupIndex = 0;
    bool FCool = false;
    bool FToggle = false;
    bool FDown = false;
    bool FDownFixed = false;
    bool FClosingLine = false;
    TColor FClosingLineColor = clBlack;
    bool FFocusFrame = false;
    int FFocusMargin = 4;
};

// Every live flat button, in creation order; exists between unit start and unit end.
extern std::vector<TFlatBitColorBtn*>* FlatButtons;
void InitializeColorBtn();
void FinalizeColorBtn();

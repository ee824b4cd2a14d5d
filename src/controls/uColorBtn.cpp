#include "controls/uColorBtn.h"
#include "controls/uXPUtils.h"
#include "framework/Forms.h"
#include <algorithm>
#include <windowsx.h>

std::vector<TFlatBitColorBtn*>* FlatButtons = nullptr;

namespace {
int GColorBtnInit = 0;
const char* const KCaptionPositionNames[] = {"cpNone", "cpLeft", "cpTop", "cpRight", "cpBottom"};
const TEnumInfo KCaptionPositionInfo = {KCaptionPositionNames, 5};
}  // namespace

void InitializeColorBtn() {
    if (GColorBtnInit++ == 0) FlatButtons = new std::vector<TFlatBitColorBtn*>();
}

void FinalizeColorBtn() {
    if (GColorBtnInit == 0 || --GColorBtnInit > 0) return;
    delete FlatButtons;
    FlatButtons = nullptr;
}

// ---- TColorBtn -------------------------------------------------------------------------------

TColorBtn::TColorBtn(TComponent* owner) : TButton(owner), FCanvas(new TCanvas()) {
    FPublishColor = true;
    InitColor(clWindow, true);
}

TColorBtn::~TColorBtn() { delete FCanvas; }

void TColorBtn::CreateParams(TCreateParams& p) {
    TButton::CreateParams(p);
    p.Style |= BS_OWNERDRAW;
}

bool TColorBtn::IsThemed() const { return UseThemes() && FUseTheme; }

void TColorBtn::SetEmphasis(bool v) {
    if (v == FEmphasis) return;
    FEmphasis = v;
    Invalidate();
}

void TColorBtn::SetSyncFontColor(bool v) {
    if (v == FSyncFontColor) return;
    FSyncFontColor = v;
    ApplyFontColorRule();
}

void TColorBtn::ApplyFontColorRule() {
    if (FSyncFontColor) Font().SetColor(ContrastColor(Color()));
}

void TColorBtn::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (PtInRect(ClientRect(), x, y)) TButton::MouseDown(button, shift, x, y);
}

void TColorBtn::WndProc(TMessage& m) {
    switch (m.Msg) {
    case CN_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam));
        m.Result = TRUE;
        return;
    case CN_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
        mi->itemWidth = static_cast<UINT>(Width());
        mi->itemHeight = static_cast<UINT>(Height());
        m.Result = TRUE;
        return;
    }
    case CM_FONTCHANGED: case CM_ENABLEDCHANGED:
        TButton::WndProc(m);
        Invalidate();
        return;
    case CM_COLORCHANGED:
        TButton::WndProc(m);
        ApplyFontColorRule();
        return;
    case CM_MOUSEENTER:
        TButton::WndProc(m);
        FHover = true;
        Invalidate();
        return;
    case CM_MOUSELEAVE:
        TButton::WndProc(m);
        FHover = false;
        Invalidate();
        return;
    case WM_LBUTTONDBLCLK:
        // A double-click is a second press unless the button has a double-click handler.
        if (OnDblClick) OnDblClick(this);
        else SendMessageA(Handle(), WM_LBUTTONDOWN, m.WParam, m.LParam);
        m.Result = 0;
        return;
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case WM_THEMECHANGED:
        m.Result = 0;
        Invalidate();
        return;
    case WM_CAPTURECHANGED:
        // The themed state and the flat button's look are read from the capture while drawing;
        // a press let go away from the button changes no button state, so nothing else repaints.
        TButton::WndProc(m);
        Invalidate();
        return;
    default:
        TButton::WndProc(m);
    }
}

void TColorBtn::DrawItem(const DRAWITEMSTRUCT& d) {
    bool pressed = (d.itemState & ODS_SELECTED) != 0;
    bool focused = (d.itemState & ODS_FOCUS) != 0;
    // The context belongs to the draw request: it is bound for the drawing only, not released here.
    FCanvas->SetHandle(d.hDC);
    try {
        if (IsThemed())
            if (TCustomForm* f = ParentForm()) FCanvas->Font().Assign(f->Font());
        TRect r;
        DrawFrame(pressed, r);
        DrawCaption(pressed, r);
        DrawFocus(focused);
    } catch (...) {
        FCanvas->SetHandle(nullptr);
        throw;
    }
    FCanvas->SetHandle(nullptr);
}

void TColorBtn::DrawFrame(bool pressed, TRect& r) {
    TCanvas& c = *FCanvas;
    r = ClientRect();
    if (IsThemed()) {
        DrawThemedButton(*this, c, BP_PUSHBUTTON);
    } else {
        if (FEmphasis && Focused()) {
            c.Brush().SetStyle(bsClear);
            c.Pen().SetStyle(psSolid);
            c.Pen().SetColor(clBlack);
            c.Rectangle(0, 0, Width(), Height());
            r.Left++; r.Top++; r.Right--; r.Bottom--;
        }
        DrawFace(c, r, Color(), 1, 1, !pressed, true);
        r.Left++; r.Top++; r.Right--; r.Bottom--;
        c.Pen().SetColor(DarkenColor(Color()));
        if (pressed) {
            c.MoveTo(r.Left, r.Top); c.LineTo(r.Right, r.Top);
            c.MoveTo(r.Left, r.Top); c.LineTo(r.Left, r.Bottom);
        } else {
            c.MoveTo(r.Left, r.Bottom - 1); c.LineTo(r.Right, r.Bottom - 1);
            c.MoveTo(r.Right - 1, r.Top); c.LineTo(r.Right - 1, r.Bottom - 1);
        }
    }
    r.Right--;
    r.Bottom--;
}

void TColorBtn::DrawCaption(bool pressed, const TRect& r) {
    TCanvas& c = *FCanvas;
    bool themed = IsThemed();
    if (!themed) c.Font().Assign(Font());
    SIZE ts = c.TextExtent(Caption());
    int sx = r.Width() - ts.cx, sy = r.Height() - ts.cy;
    int x = r.Left + sx / 2 - sx % 2 + 1;
    int y = r.Top + sy / 2 - sy % 2 + 1;
    if (themed) {
        DrawThemedCaption(*this, c, Rect(x, y, ClientWidth(), ClientHeight()), BP_PUSHBUTTON);
        return;
    }
    if (!Enabled() || pressed) { x++; y++; }
    TRect tr = Rect(x, y, ClientWidth(), ClientHeight());
    c.Brush().SetStyle(bsClear);
    if (Enabled()) c.DrawText(Caption(), tr, 0);
    else DrawDisabledText(c, tr, Caption(), Color());
}

void TColorBtn::DrawFocus(bool focused) {
    if (!(FEmphasis && focused)) return;
    int m = GetFocusOffset();
    TCanvas& c = *FCanvas;
    if (!IsThemed()) {
        c.Pen().SetColor(clWindowFrame);
        c.Pen().SetStyle(psSolid);
        c.Brush().SetColor(clBtnFace);
        c.Brush().SetStyle(bsSolid);
        SetBkColor(c.Handle(), ColorToRGB(Color()));
    }
    TRect r = ClientRect();
    r.Left -= m; r.Top -= m; r.Right += m; r.Bottom += m;
    c.DrawFocusRect(r);
}

int TColorBtn::GetFocusOffset() { return IsThemed() ? -3 : -4; }

void TColorBtn::Properties(TPropFiler& f) {
    TButton::Properties(f);
    f.Boolean("SyncFontColor", FSyncFontColor, [this](bool v) { SetSyncFontColor(v); }, false);
    f.Boolean("Emphasis", FEmphasis, [this](bool v) { SetEmphasis(v); }, true);
    f.Boolean("UseTheme", FUseTheme, [this](bool v) { SetUseTheme(v); }, true);
}

// ---- TBitColorBtn ----------------------------------------------------------------------------

TBitColorBtn::TBitColorBtn(TComponent* owner) : TColorBtn(owner) {}

TBitColorBtn::~TBitColorBtn() { SetBitmapListProp(nullptr); }

void TBitColorBtn::SetCaptionPosition(TCaptionPosition v) {
    if (v == FCaptionPosition) return;
    FCaptionPosition = v;
    Invalidate();
}

void TBitColorBtn::SetBitmapListProp(TBitmapList* v) {
    if (v == FBitmapList) return;
    if (FBitmapList) {
        FBitmapList->UnregisterClient(this);
        FBitmapList->RemoveFreeNotification(this);
    }
    FBitmapList = v;
    if (v) {
        v->RegisterClient(this);
        v->FreeNotification(this);
    }
    Invalidate();
}

void TBitColorBtn::Notification(TComponent* c, TOperation op) {
    TColorBtn::Notification(c, op);
    if (op == opRemove && c == FBitmapList) FBitmapList = nullptr;
}

void TBitColorBtn::DrawItem(const DRAWITEMSTRUCT& d) {
    FBuffer = new TBitmap(Width(), Height());
    try {
        if (FBitmapList && FBitmapList->HasBitmap(FImageID)) {
            bool pressed = (d.itemState & ODS_SELECTED) != 0;
            bool focused = (d.itemState & ODS_FOCUS) != 0;
            TCanvas* own = FCanvas;
            FCanvas = &FBuffer->Canvas();
            try {
                TRect r;
                DrawFrame(pressed, r);
                FCanvas->ClipRect(r);
                DrawCaption(pressed, r);
                FCanvas->RemoveClip();
                DrawFocus(focused);
            } catch (...) {
                FCanvas = own;
                throw;
            }
            FCanvas = own;
            FCanvas->SetHandle(d.hDC);
            FCanvas->SetCopyMode(SRCCOPY);
            FCanvas->Draw(0, 0, *FBuffer);
            FCanvas->SetHandle(nullptr);
        } else {
            TColorBtn::DrawItem(d);
        }
    } catch (...) {
        delete FBuffer;
        FBuffer = nullptr;
        throw;
    }
    delete FBuffer;
    FBuffer = nullptr;
}

void TBitColorBtn::GetBitmaps(bool pressed, TBitmap& image, TBitmap& mask) {
    if (!FBitmapList) return;
    const std::string& name = (Enabled() || FDisableID.empty()) ? FImageID : FDisableID;
    FBitmapList->GetBitmap(name, &image);
    FBitmapList->GetMask(name, &mask);
}

void TBitColorBtn::DrawBitmap(int x, int y, TBitmap& image, TBitmap& mask) {
    if (Enabled() || !FDisableID.empty()) DrawMasked(*FCanvas, x, y, &image, &mask);
    else DrawDisabledImage(*FCanvas, x, y, LightenColor(Color()), DarkenColor(Color()), &mask);
}

void TBitColorBtn::DrawCaption(bool pressed, const TRect& r) {
    TCanvas& c = *FCanvas;
    bool themed = IsThemed();
    if (!themed) c.Font().Assign(Font());
    int tw = c.TextWidth(Caption()), th = c.TextHeight("H");
    int w = r.Width(), h = r.Height();
    int tx = r.Left + (w - tw) / 2, ty = r.Top + (h - th) / 2;
    if (FBitmapList) {
        TBitmap image, mask;
        GetBitmaps(pressed, image, mask);
        if (image.Width() > 0 && image.Height() > 0) {
            int iw = image.Width(), ih = image.Height();
            int ix = r.Left + (w - iw) / 2, iy = r.Top + (h - ih) / 2;
            switch (FCaptionPosition) {
            case TCaptionPosition::cpNone: break;
            case TCaptionPosition::cpLeft:
                tx = r.Left + (w - tw - iw) / 2; ty = r.Top + (h - th) / 2; ix = tx + tw + 2; break;
            case TCaptionPosition::cpTop:
                tx = r.Left + (w - tw) / 2; ty = r.Top + (h - th - ih) / 2; iy = ty + th + 2; break;
            case TCaptionPosition::cpRight:
                ix = r.Left + (w - iw - tw) / 2; tx = ix + iw + 2; ty = r.Top + (h - th) / 2; break;
            case TCaptionPosition::cpBottom:
                iy = r.Top + (h - ih - th) / 2 - 1; tx = r.Left + (w - tw) / 2; ty = iy + ih + 2; break;
            }
            if (!themed && pressed) { ix++; iy++; }
            if (mask.Width() > 0 && mask.Height() > 0) DrawBitmap(ix, iy, image, mask);
            else c.Draw(ix, iy, image);
        }
    }
    if (FCaptionPosition != TCaptionPosition::cpNone) TColorBtn::DrawCaption(pressed, Rect(tx, ty, tx + tw, ty + th));
}

void TBitColorBtn::Properties(TPropFiler& f) {
    TColorBtn::Properties(f);
    f.Enum("CaptionPosition", static_cast<int>(FCaptionPosition), KCaptionPositionInfo,
           [this](int v) { SetCaptionPosition(static_cast<TCaptionPosition>(v)); }, static_cast<int>(TCaptionPosition::cpBottom));
    f.Component("BitmapList", FBitmapList, [this](TComponent* c) { SetBitmapListProp(dynamic_cast<TBitmapList*>(c)); });
    f.String("ImageID", FImageID, [this](const std::string& v) { SetImageID(v); }, true);
    f.String("DisableID", FDisableID, [this](const std::string& v) { SetDisableID(v); }, true);
}

// ---- TFlatBitColorBtn ------------------------------------------------------------------------

TFlatBitColorBtn::TFlatBitColorBtn(TComponent* owner) : TBitColorBtn(owner) {
    SetEmphasis(false);
    if (FlatButtons) FlatButtons->push_back(this);
}

TFlatBitColorBtn::~TFlatBitColorBtn() {
    if (FlatButtons) {
        FlatButtons->erase(std::remove(FlatButtons->begin(), FlatButtons->end(), this), FlatButtons->end());
        FlatButtons->shrink_to_fit();
    }
}

bool TFlatBitColorBtn::LDown() {
    return HandleAllocated() && GetCapture() == Handle() && GetKeyState(VK_LBUTTON) < 0;
}

void TFlatBitColorBtn::SetDown(bool v) {
    if (FDown && FDownFixed) return;
    FDown = v;
    if (FGroupIndex != 0 && FlatButtons) {
        std::vector<TFlatBitColorBtn*> list = *FlatButtons;
        for (TFlatBitColorBtn* b : list) {
            if (b == this || b->FGroupIndex != FGroupIndex || !b->FDown) continue;
            b->FDown = false;
            b->OnUp(b);
            b->Repaint();
        }
    }
    if (FDown) OnDown(this);
    else OnUp(this);
    Invalidate();
}

void TFlatBitColorBtn::DrawFrame(bool pressed, TRect& r) {
    bool ldown = LDown();
    if ((FCool && FHover && Enabled()) || FDown) {
        if (FToggle) {
            TColorBtn::DrawFrame(FDown || ldown, r);
            if (FDown && !ldown) { r.Left++; r.Top++; r.Right++; r.Bottom++; }
        } else {
            TColorBtn::DrawFrame(pressed, r);
        }
    } else {
        r = Rect(0, 0, Width(), Height());
        if (IsThemed()) {
            DrawParentBackground(*this, *FCanvas);
        } else {
            FCanvas->Brush().SetColor(Color());
            FCanvas->Brush().SetStyle(bsSolid);
            FCanvas->FillRect(r);
        }
    }
    if (FDown && ldown && Enabled() && !FHover) { r.Left++; r.Top++; r.Right++; r.Bottom++; }
    DrawCaption(pressed, r);
}

void TFlatBitColorBtn::DrawOutline(TPenStyle style, TColor color) {
    FCanvas->Pen().SetStyle(style);
    FCanvas->Pen().SetColor(color);
    FCanvas->Brush().SetStyle(bsClear);
    FCanvas->Rectangle(0, 0, Width(), Height());
}

void TFlatBitColorBtn::DrawFocus(bool focused) {
    if (IsDesigning()) DrawOutline(psDash, clBlack);
    if (FClosingLine) DrawOutline(psSolid, FClosingLineColor);
    if (FFocusFrame) {
        bool keep = Emphasis();
        // Set the field directly: the writer would repaint in the middle of drawing.
        SetEmphasisField(true);
        try {
            TColorBtn::DrawFocus(focused);
        } catch (...) {
            SetEmphasisField(keep);
            throw;
        }
        SetEmphasisField(keep);
    }
}

void TFlatBitColorBtn::WndProc(TMessage& m) {
    switch (m.Msg) {
    case CM_MOUSEENTER:
        TBitColorBtn::WndProc(m);
        OnMouseIn(this);
        return;
    case CM_MOUSELEAVE:
        TBitColorBtn::WndProc(m);
        OnMouseOut(this);
        return;
    case WM_LBUTTONDOWN:
        TBitColorBtn::WndProc(m);
        SetCapture(Handle());
        return;
    case WM_LBUTTONUP: {
        if (FHover && FToggle) SetDown(!FDown);
        POINT p;
        GetCursorPos(&p);
        TPoint o = ClientToScreen({0, 0});
        FHover = PtInRect(Bounds(o.X, o.Y, Width(), Height()), p.x, p.y);
        TBitColorBtn::WndProc(m);
        ReleaseCapture();
        return;
    }
    default:
        TBitColorBtn::WndProc(m);
    }
}

void TFlatBitColorBtn::Properties(TPropFiler& f) {
    TBitColorBtn::Properties(f);
    f.Integer("GroupIndex", FGroupIndex, [this](int32_t v) { SetGroupIndex(v); }, 0);
    f.Boolean("Cool", FCool, [this](bool v) { SetCool(v); }, false);
    f.Boolean("Toggle", FToggle, [this](bool v) { SetToggle(v); }, false);
    f.Boolean("Down", FDown, [this](bool v) { SetDown(v); }, std::nullopt);
    f.Boolean("DownFixed", FDownFixed, [this](bool v) { SetDownFixed(v); }, std::nullopt);
    f.Boolean("ClosingLine", FClosingLine, [this](bool v) { SetClosingLine(v); }, std::nullopt);
    f.Color("ClosingLineColor", FClosingLineColor, [this](TColor v) { SetClosingLineColor(v); }, std::nullopt);
    f.Boolean("FocusFrame", FFocusFrame, [this](bool v) { SetFocusFrame(v); }, false);
    f.Integer("FocusMargin", FFocusMargin, [this](int32_t v) { SetFocusMargin(v); }, 4);
    f.Event("OnDown", OnDown);
    f.Event("OnUp", OnUp);
    f.Event("OnMouseIn", OnMouseIn);
    f.Event("OnMouseOut", OnMouseOut);
}

#include "controls/uGraphUtils.h"
#include <memory>

bool CheckPixelFormat(TBitmap& bitmap, TPixelFormats allowed) { return CheckPixelFormat(static_cast<int>(bitmap.PixelFormat()), allowed); }

namespace {
void Line(TCanvas& c, int x1, int y1, int x2, int y2) { c.MoveTo(x1, y1); c.LineTo(x2, y2); }

void TopLeftStep(TCanvas& c, TRect w, TColor color, int nv, int nh, int f) {
    if (f) {
        c.Pen().SetColor(clBlack);
        Line(c, w.Left, w.Top, w.Left, w.Bottom);
        Line(c, w.Left, w.Top, w.Right, w.Top);
        w.Left++; w.Top++;
    }
    c.Pen().SetColor(color);
    for (int i = 0; i < nv - f; ++i) { Line(c, w.Left, w.Top, w.Left, w.Bottom); w.Left++; }
    for (int i = 0; i < nh - f; ++i) { Line(c, w.Left, w.Top, w.Right, w.Top); w.Top++; }
}

void BottomRightStep(TCanvas& c, TRect w, TColor color, int nv, int nh, int f) {
    if (f) {
        w.Left--; w.Top--; w.Right--; w.Bottom--;
        c.Pen().SetColor(clBlack);
        Line(c, w.Right, w.Bottom, w.Left, w.Bottom);
        Line(c, w.Right, w.Bottom, w.Right, w.Top);
        w.Left++; w.Top++;
    }
    c.Pen().SetColor(color);
    for (int i = 0; i < nv - f; ++i) { w.Right--; w.Top++; Line(c, w.Right, w.Top, w.Right, w.Bottom); }
    for (int i = 0; i < nh - f; ++i) { w.Left++; w.Bottom--; Line(c, w.Left, w.Bottom, w.Right, w.Bottom); }
}
}  // namespace

void DrawBevel(TCanvas& c, TRect r, TColor color, int nv, int nh, bool raised, bool outline) {
    if (r.Width() == 0 || r.Height() == 0) return;
    TColor light = LightenColor(color), dark = DarkenColor(color);
    c.Pen().SetWidth(1);
    c.Pen().SetStyle(psSolid);
    int f = outline ? 1 : 0;
    if (raised) {
        TopLeftStep(c, r, light, nv, nh, 0);
        BottomRightStep(c, r, dark, nv, nh, f);
    } else {
        TopLeftStep(c, r, dark, nv, nh, f);
        BottomRightStep(c, r, light, nv, nh, 0);
    }
}

void DrawFace(TCanvas& c, const TRect& r, TColor color, int nv, int nh, bool raised, bool outline) {
    c.Brush().SetColor(color);
    c.Brush().SetStyle(bsSolid);
    c.FillRect(r);
    DrawBevel(c, r, color, nv, nh, raised, outline);
}

void DrawDisabledText(TCanvas& c, TRect r, const std::string& text, TColor color) {
    c.Font().SetColor(LightenColor(color));
    c.DrawText(text, r, DT_VCENTER);
    r.Left--;
    r.Top--;
    c.Font().SetColor(DarkenColor(color));
    c.DrawText(text, r, DT_VCENTER);
}

void MakeMask(TBitmap* dest, TBitmap* source, TColor transparent, bool invert) {
    if (!source || source->Empty() || !dest) return;
    CheckPixelFormat(*source, MaskablePixelFormats);
    dest->Assign(*source);
    COLORREF t = ColorToRGB(transparent);
    TCanvas& dc = dest->Canvas();
    for (int y = 0; y < dest->Height(); ++y)
        for (int x = 0; x < dest->Width(); ++x) {
            bool isTransparent = static_cast<COLORREF>(dc.Pixel(x, y)) == t;
            dc.SetPixel(x, y, isTransparent != invert ? clWhite : clBlack);
        }
    dest->SetMonochrome(true);
    dest->SetMonochrome(false);
}

void DrawMasked(TCanvas& c, int x, int y, TBitmap* image, TBitmap* mask) {
    if (!image || !mask) return;
    if (mask->Width() == 0 || mask->Height() == 0) {
        c.Draw(x, y, *image);
        return;
    }
    int w = mask->Width(), h = mask->Height();
    TBitmap t(w, h);
    TRect all = Rect(0, 0, w, h);
    t.Canvas().SetCopyMode(SRCCOPY);
    t.Canvas().CopyRect(all, mask->Canvas(), all);
    t.Canvas().SetCopyMode(SRCERASE);
    t.Canvas().CopyRect(all, image->Canvas(), all);
    HDC dc = c.Handle();
    COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    DWORD mode = c.CopyMode();
    c.SetCopyMode(SRCAND);
    c.CopyRect(Bounds(x, y, w, h), mask->Canvas(), all);
    c.SetCopyMode(SRCINVERT);
    c.CopyRect(Bounds(x, y, w, h), t.Canvas(), all);
    c.SetCopyMode(mode);
    SetBkColor(dc, oldBk);
    SetTextColor(dc, oldText);
}

void DrawSilhouette(TCanvas& c, int x, int y, TColor color, TBitmap* mask) {
    if (!mask || mask->Empty()) return;
    TBitmap t(mask->Width(), mask->Height());
    t.Canvas().Brush().SetColor(color);
    t.Canvas().Brush().SetStyle(bsSolid);
    t.Canvas().FillRect(Rect(0, 0, t.Width(), t.Height()));
    DrawMasked(c, x, y, &t, mask);
}

void DrawDisabledImage(TCanvas& c, int x, int y, TColor light, TColor dark, TBitmap* mask) {
    DrawSilhouette(c, x + 1, y + 1, light, mask);
    DrawSilhouette(c, x, y, dark, mask);
}

#include "controls/uGraphUtils.h"
#include <memory>

bool CheckPixelFormat(TBitmap& bitmap, TPixelFormats allowed) { return CheckPixelFormat(static_cast<int>(bitmap.PixelFormat()), allowed); }

// The lines come from the portable bevel computation; only the drawing is done here.
void DrawBevel(TCanvas& c, TRect r, TColor color, int nv, int nh, bool raised, bool outline) {
    c.Pen().SetWidth(1);
    c.Pen().SetStyle(psSolid);
    for (const TBevelLine& l : BevelLines({r.Left, r.Top, r.Right, r.Bottom}, ColorToRGB(color), nv, nh, raised, outline)) {
        c.Pen().SetColor(static_cast<TColor>(l.Color));
        c.MoveTo(l.X1, l.Y1);
        c.LineTo(l.X2, l.Y2);
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

#include "uGraphUtilsCore.h"
#include <algorithm>
#include <cmath>

TRGB ScaleRGB(TRGB rgb, double factor) {
    TRGB result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        unsigned c = (rgb >> shift) & 0xFF;
        double v = c != 0 ? c * factor : factor > 1 ? 81.6 * factor : 0.0;
        if (v > 255) v = 255;
        if (!(v >= 0)) v = 0;  // negative or NaN factors
        result |= static_cast<TRGB>(std::nearbyint(v)) << shift;
    }
    return result;
}

TRGB ContrastRGB(TRGB rgb) {
    rgb &= 0xFFFFFF;
    unsigned avg = ((rgb & 0xFF) + ((rgb >> 8) & 0xFF) + ((rgb >> 16) & 0xFF)) / 3;
    return avg > 112 && avg < 144 ? rgbWhite : rgb ^ 0xFFFFFF;
}

bool CheckPixelFormat(int pixelFormat, TPixelFormatMask allowed) {
    if (pixelFormat >= 0 && pixelFormat <= 15 && (allowed & PixelFormatBit(pixelFormat))) return false;
    throw EInvalidBitmap(SInvalidBitmapFormat);
}

namespace {

struct TLineList {
    std::vector<TBevelLine>& Lines;
    TRGB Pen = rgbBlack;
    void Line(int x1, int y1, int x2, int y2) { Lines.push_back({x1, y1, x2, y2, Pen}); }
};

void TopLeftStep(TLineList& out, TPixelRect w, TRGB color, int nv, int nh, int f) {
    if (f) {
        out.Pen = rgbBlack;
        out.Line(w.Left, w.Top, w.Left, w.Bottom);
        out.Line(w.Left, w.Top, w.Right, w.Top);
        ++w.Left;
        ++w.Top;
    }
    out.Pen = color;
    for (int i = 0; i < nv - f; ++i) { out.Line(w.Left, w.Top, w.Left, w.Bottom); ++w.Left; }
    for (int i = 0; i < nh - f; ++i) { out.Line(w.Left, w.Top, w.Right, w.Top); ++w.Top; }
}

void BottomRightStep(TLineList& out, TPixelRect w, TRGB color, int nv, int nh, int f) {
    if (f) {
        --w.Left; --w.Top; --w.Right; --w.Bottom;
        out.Pen = rgbBlack;
        out.Line(w.Right, w.Bottom, w.Left, w.Bottom);
        out.Line(w.Right, w.Bottom, w.Right, w.Top);
        ++w.Left;
        ++w.Top;
    }
    out.Pen = color;
    for (int i = 0; i < nv - f; ++i) { --w.Right; ++w.Top; out.Line(w.Right, w.Top, w.Right, w.Bottom); }
    for (int i = 0; i < nh - f; ++i) { ++w.Left; --w.Bottom; out.Line(w.Left, w.Bottom, w.Right, w.Bottom); }
}

}  // namespace

std::vector<TBevelLine> BevelLines(const TPixelRect& r, TRGB color, int nv, int nh, bool raised, bool outline) {
    std::vector<TBevelLine> lines;
    if (r.Width() == 0 || r.Height() == 0) return lines;
    // Line counts beyond the rectangle draw nothing more; bounding them keeps the list small.
    const int limit = std::max(std::abs(r.Width()), std::abs(r.Height())) + 1;
    nv = std::clamp(nv, 0, limit);
    nh = std::clamp(nh, 0, limit);
    TRGB light = LightenRGB(color), dark = DarkenRGB(color);
    int f = outline ? 1 : 0;
    TLineList out{lines};
    if (raised) {
        TopLeftStep(out, r, light, nv, nh, 0);
        BottomRightStep(out, r, dark, nv, nh, f);
    } else {
        TopLeftStep(out, r, dark, nv, nh, f);
        BottomRightStep(out, r, light, nv, nh, 0);
    }
    return lines;
}

void DrawLines(TPixelBuffer& canvas, const std::vector<TBevelLine>& lines) {
    for (const TBevelLine& l : lines) {
        if (l.Y1 == l.Y2) {
            int step = l.X2 >= l.X1 ? 1 : -1;
            int from = std::clamp(l.X1, -1, canvas.Width()), to = std::clamp(l.X2, -1, canvas.Width());
            for (int x = from; x != to; x += step) canvas.PutPixel(x, l.Y1, l.Color);
        } else if (l.X1 == l.X2) {
            int step = l.Y2 >= l.Y1 ? 1 : -1;
            int from = std::clamp(l.Y1, -1, canvas.Height()), to = std::clamp(l.Y2, -1, canvas.Height());
            for (int y = from; y != to; y += step) canvas.PutPixel(l.X1, y, l.Color);
        }
    }
}

void DrawFacePixels(TPixelBuffer& canvas, const TPixelRect& r, TRGB color, int nv, int nh, bool raised, bool outline) {
    canvas.FillRect(r, color);
    DrawLines(canvas, BevelLines(r, color, nv, nh, raised, outline));
}

void DisabledTextPasses(const TPixelRect& r, TRGB color, TTextPass passes[2]) {
    passes[0] = {r, LightenRGB(color)};
    TPixelRect moved = r;
    --moved.Left;
    --moved.Top;
    passes[1] = {moved, DarkenRGB(color)};
}

TPixelBuffer MakeMaskPixels(const TPixelBuffer& source, TRGB transparent, bool invert) {
    if (source.Empty()) return TPixelBuffer();
    TPixelBuffer mask(source.Width(), source.Height());
    transparent &= 0xFFFFFF;
    const TRGB hit = invert ? rgbBlack : rgbWhite, miss = invert ? rgbWhite : rgbBlack;
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x) mask.SetPixel(x, y, source.Pixel(x, y) == transparent ? hit : miss);
    return mask;
}

void DrawMaskedPixels(TPixelBuffer& canvas, int x, int y, const TPixelBuffer& image, const TPixelBuffer& mask) {
    if (mask.Empty()) {
        for (int j = 0; j < image.Height(); ++j)
            for (int i = 0; i < image.Width(); ++i) canvas.PutPixel(x + i, y + j, image.Pixel(i, j));
        return;
    }
    for (int j = 0; j < mask.Height(); ++j)
        for (int i = 0; i < mask.Width(); ++i) {
            if (!canvas.Contains(x + i, y + j)) continue;
            // Outside the image a blit reads black.
            TRGB src = image.Contains(i, j) ? image.Pixel(i, j) : rgbBlack;
            TRGB m = mask.Pixel(i, j);
            canvas.SetPixel(x + i, y + j, (canvas.Pixel(x + i, y + j) & m) ^ (src & ~m));
        }
}

void DrawSilhouettePixels(TPixelBuffer& canvas, int x, int y, TRGB color, const TPixelBuffer& mask) {
    DrawMaskedPixels(canvas, x, y, TPixelBuffer(mask.Width(), mask.Height(), color), mask);
}

void DrawDisabledImagePixels(TPixelBuffer& canvas, int x, int y, TRGB light, TRGB dark, const TPixelBuffer& mask) {
    DrawSilhouettePixels(canvas, x + 1, y + 1, light, mask);
    DrawSilhouettePixels(canvas, x, y, dark, mask);
}

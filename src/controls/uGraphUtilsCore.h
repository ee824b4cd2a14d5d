// Colour arithmetic and pixel-buffer drawing shared by the colour buttons and the bitmap list.
// Colours here are plain RGB values 0x00BBGGRR; system colours are resolved by the caller.
#pragma once
#include "base/PixelBuffer.h"
#include <cstdint>
#include <vector>

enum class TCaptionPosition { cpNone, cpLeft, cpTop, cpRight, cpBottom };

// Each channel c: c × factor (a zero channel counts as 81.6 when brightening, else stays 0),
// capped at 255, rounded to nearest, ties to even.
TRGB ScaleRGB(TRGB rgb, double factor);
inline TRGB DarkenRGB(TRGB rgb) { return ScaleRGB(rgb, 0.6); }
inline TRGB LightenRGB(TRGB rgb) { return ScaleRGB(rgb, 1.3); }
// White for mid-grey backgrounds (channel average strictly between 112 and 144), else the inverse.
TRGB ContrastRGB(TRGB rgb);

// False when the format is in the allowed set; raises EInvalidBitmap otherwise.
bool CheckPixelFormat(int pixelFormat, TPixelFormatMask allowed);

// A one-pixel-wide line from (X1, Y1) to (X2, Y2), the end point not painted; always horizontal
// or vertical.
struct TBevelLine {
    int X1, Y1, X2, Y2;
    TRGB Color;
};
// The lines of a bevel in drawing order: light and dark edges (nv vertical, nh horizontal lines)
// and, with outline, a black line on the dark side. Nothing for an empty rectangle.
std::vector<TBevelLine> BevelLines(const TPixelRect& r, TRGB color, int nv, int nh, bool raised, bool outline);
// Paints lines as the platform's line drawing does (end point excluded), clipped to the buffer.
void DrawLines(TPixelBuffer& canvas, const std::vector<TBevelLine>& lines);
// The face fill then the bevel.
void DrawFacePixels(TPixelBuffer& canvas, const TPixelRect& r, TRGB color, int nv, int nh, bool raised, bool outline);

// Disabled text is drawn twice: first light in the rectangle, then dark in the rectangle with its
// left and top edges moved out by one pixel, so the light copy shows one pixel below right.
struct TTextPass {
    TPixelRect Rect;
    TRGB Color;
};
void DisabledTextPasses(const TPixelRect& r, TRGB color, TTextPass passes[2]);

// The mask of an image: white where the pixel equals the transparent colour, black elsewhere
// (the other way round with invert). An empty source gives an empty mask.
TPixelBuffer MakeMaskPixels(const TPixelBuffer& source, TRGB transparent, bool invert);
// Draws image through mask at (x, y) with the raster operations of the masked blit:
// dest := (dest AND mask) XOR (image AND NOT mask). An empty mask draws the image opaque.
void DrawMaskedPixels(TPixelBuffer& canvas, int x, int y, const TPixelBuffer& image, const TPixelBuffer& mask);
// The opaque area of the mask in one flat colour.
void DrawSilhouettePixels(TPixelBuffer& canvas, int x, int y, TRGB color, const TPixelBuffer& mask);
// Light silhouette one pixel below right, dark silhouette on top.
void DrawDisabledImagePixels(TPixelBuffer& canvas, int x, int y, TRGB light, TRGB dark, const TPixelBuffer& mask);

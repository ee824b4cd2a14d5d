// Colour arithmetic and pixel-buffer drawing shared by the colour buttons and the bitmap list.
// Colours here are plain RGB values 0x00BBGGRR; system colours are resolved by the caller.
#pragma once
#include "base/SysUtils.h"
#include <cstdint>
#include <vector>

using TRGB = uint32_t;

const TRGB rgbBlack = 0x000000;
const TRGB rgbWhite = 0xFFFFFF;

// Raised for pixel formats the mask and colour routines cannot process.
KESTRIN_EXCEPTION(EInvalidBitmap, Exception);
// The message of EInvalidBitmap, in the ANSI code page (Shift-JIS).
extern const char* const SInvalidBitmapFormat;

enum class TCaptionPosition { cpNone, cpLeft, cpTop, cpRight, cpBottom };

// Pixel formats as the bitmap class numbers them; a set of them is a mask with bit n for n.
namespace PixelFormatId {
enum : int { pfDevice = 0, pf1bit = 1, pf4bit = 2, pf8bit = 3, pf15bit = 4, pf16bit = 5, pf24bit = 6, pf32bit = 7,
             pfCustom = 8 };
}
using TPixelFormatMask = uint16_t;
using TPixelFormats = TPixelFormatMask;  // the name the drawing half uses
inline constexpr TPixelFormatMask PixelFormatBit(int format) { return static_cast<TPixelFormatMask>(1u << format); }
// Device-dependent, 1, 4, 8, 24 and 32 bits per pixel.
const TPixelFormatMask MaskablePixelFormats = 0x00CF;

struct TPixelRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

// An image as rows of RGB values, top row first.
class TPixelBuffer {
public:
    TPixelBuffer() = default;
    // Raises EInvalidBitmap for negative or oversized dimensions.
    TPixelBuffer(int width, int height, TRGB fill = rgbBlack);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < FWidth && y < FHeight; }
    TRGB Pixel(int x, int y) const { return FPixels[Index(x, y)]; }
    void SetPixel(int x, int y, TRGB c) { FPixels[Index(x, y)] = c & 0xFFFFFF; }
    // Ignores pixels outside the buffer.
    void PutPixel(int x, int y, TRGB c) { if (Contains(x, y)) SetPixel(x, y, c); }
    void FillRect(const TPixelRect& r, TRGB c);
    const std::vector<TRGB>& Pixels() const { return FPixels; }
    bool operator==(const TPixelBuffer& o) const {
        return FWidth == o.FWidth && FHeight == o.FHeight && FPixels == o.FPixels;
    }
private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * static_cast<size_t>(FWidth) + static_cast<size_t>(x); }
    int FWidth = 0, FHeight = 0;
    std::vector<TRGB> FPixels;
};

// Largest side and pixel count of a picture the pixel routines accept.
const int MaxBitmapSide = 32768;
const uint64_t MaxBitmapPixels = uint64_t(1) << 24;

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

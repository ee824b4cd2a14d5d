// Pictures as plain RGB pixels, independent of any window system, and the pixel-format numbers
// of the bitmap class. Colours are 0x00BBGGRR.
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


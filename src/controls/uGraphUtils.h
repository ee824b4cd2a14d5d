// Colour shades and bitmap drawing shared by the colour buttons and the bitmap list, on canvases.
// The colour arithmetic itself works on plain RGB values (uGraphUtilsCore when present).
#pragma once
#include "framework/Graphics.h"
#if __has_include("controls/uGraphUtilsCore.h")
#include "controls/uGraphUtilsCore.h"
#else
#include "base/SysUtils.h"
#include <cstdint>
using TRGB = uint32_t;
KESTRIN_EXCEPTION(EInvalidBitmap, EInvalidGraphic);
extern const char* const SInvalidBitmapFormat;
enum class TCaptionPosition { cpNone, cpLeft, cpTop, cpRight, cpBottom };
using TPixelFormats = uint16_t;
const TPixelFormats MaskablePixelFormats = 0x00CF;
TRGB ScaleRGB(TRGB rgb, double factor);
TRGB ContrastRGB(TRGB rgb);
bool CheckPixelFormat(int pixelFormat, TPixelFormats allowed);
#endif

constexpr TColor clNoTransparent = 0x1FFFFFFF;  // "no colour": no mask is made

inline TColor ScaleColor(TColor c, double factor) { return static_cast<TColor>(ScaleRGB(ColorToRGB(c), factor)); }
inline TColor DarkenColor(TColor c) { return ScaleColor(c, 0.6); }
inline TColor LightenColor(TColor c) { return ScaleColor(c, 1.3); }
inline TColor ContrastColor(TColor c) { return static_cast<TColor>(ContrastRGB(ColorToRGB(c))); }
bool CheckPixelFormat(TBitmap& bitmap, TPixelFormats allowed);

void DrawBevel(TCanvas& canvas, TRect r, TColor color, int nv, int nh, bool raised, bool outline);
void DrawFace(TCanvas& canvas, const TRect& r, TColor color, int nv, int nh, bool raised, bool outline);
void DrawDisabledText(TCanvas& canvas, TRect r, const std::string& text, TColor color);
void MakeMask(TBitmap* dest, TBitmap* source, TColor transparent, bool invert);
void DrawMasked(TCanvas& canvas, int x, int y, TBitmap* image, TBitmap* mask);
void DrawSilhouette(TCanvas& canvas, int x, int y, TColor color, TBitmap* mask);
void DrawDisabledImage(TCanvas& canvas, int x, int y, TColor light, TColor dark, TBitmap* mask);

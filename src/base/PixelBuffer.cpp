#include "PixelBuffer.h"
#include <algorithm>

// "演算できないビットマップ形式です。"
const char* const SInvalidBitmapFormat =
    "\x89\x89\x8e\x5a\x82\xc5\x82\xab\x82\xc8\x82\xa2\x83\x72\x83\x62\x83\x67\x83\x7d\x83\x62\x83\x76"
    "\x8c\x60\x8e\xae\x82\xc5\x82\xb7\x81\x42";

TPixelBuffer::TPixelBuffer(int width, int height, TRGB fill) {
    if (width < 0 || height < 0 || width > MaxBitmapSide || height > MaxBitmapSide ||
        uint64_t(width) * uint64_t(height) > MaxBitmapPixels)
        throw EInvalidBitmap(SInvalidBitmapFormat);
    FWidth = width;
    FHeight = height;
    FPixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill & 0xFFFFFF);
}

void TPixelBuffer::FillRect(const TPixelRect& r, TRGB c) {
    int l = std::max(r.Left, 0), t = std::max(r.Top, 0);
    int rt = std::min(r.Right, FWidth), b = std::min(r.Bottom, FHeight);
    for (int y = t; y < b; ++y)
        for (int x = l; x < rt; ++x) SetPixel(x, y, c);
}


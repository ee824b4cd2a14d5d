// Stand-in for the plain-RGB colour arithmetic until its own unit is part of the build.
#include "controls/uGraphUtils.h"
#include <cmath>

const char* const SInvalidBitmapFormat = "\x89\x89\x8E\x5A\x82\xC5\x82\xAB\x82\xC8\x82\xA2\x83\x72\x83\x62\x83\x67\x83\x7D\x83\x62\x83\x76\x8C\x60\x8E\xAE\x82\xC5\x82\xB7\x81\x42";

TRGB ScaleRGB(TRGB rgb, double factor) {
    TRGB out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        unsigned c = (rgb >> shift) & 0xFF;
        double v = c != 0 ? c * factor : (factor > 1 ? 81.6 * factor : 0);
        if (v > 255) v = 255;
        out |= static_cast<TRGB>(std::nearbyint(v)) << shift;
    }
    return out;
}

TRGB ContrastRGB(TRGB rgb) {
    unsigned avg = ((rgb & 0xFF) + ((rgb >> 8) & 0xFF) + ((rgb >> 16) & 0xFF)) / 3;
    if (avg > 112 && avg < 144) return 0xFFFFFF;
    return (rgb ^ 0xFFFFFF) & 0xFFFFFF;
}

bool CheckPixelFormat(int pixelFormat, TPixelFormats allowed) {
    if (pixelFormat >= 0 && pixelFormat <= 15 && (allowed & (1u << pixelFormat))) return false;
    throw EInvalidBitmap(SInvalidBitmapFormat);
}

#include "AuroraPicture.h"
#include <cmath>

namespace {

// A curtain: where its bright lower edge runs and how it moves. Heights are fractions of the
// picture's height, waves are radians across its width, speeds radians per second.
struct TBand {
    float Edge;
    float Fold, FoldWave, FoldSpeed;
    float Ripple, RippleWave, RippleSpeed;
    float Reach;  // how far up the light fades out
    int R, G, B;
    float Phase;
};

const TBand Bands[] = {
    {0.30f, 0.07f, 5.1f, 0.13f, 0.025f, 13.0f, 0.37f, 0.20f, 150, 60, 210, 1.3f},  // violet, the highest
    {0.44f, 0.08f, 4.3f, 0.17f, 0.030f, 11.0f, 0.29f, 0.24f, 30, 170, 200, 4.1f},  // teal
    {0.58f, 0.06f, 3.7f, 0.11f, 0.020f, 17.0f, 0.43f, 0.28f, 50, 240, 120, 2.6f},  // green, the brightest
};

uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// Adds light to a pixel, each channel saturating at white.
void AddLight(uint32_t& pixel, int r, int g, int b) {
    pixel = Rgb(Clamp255(static_cast<int>(pixel >> 16 & 0xFF) + r), Clamp255(static_cast<int>(pixel >> 8 & 0xFF) + g),
                Clamp255(static_cast<int>(pixel & 0xFF) + b));
}

void DrawSky(uint32_t* pixels, int width, int height) {
    for (int y = 0; y < height; ++y) {
        const int t = height > 1 ? y * 256 / (height - 1) : 0;
        const uint32_t c = Rgb(3 + 5 * t / 256, 5 + 25 * t / 256, 20 + 30 * t / 256);
        uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x) row[x] = c;
    }
}

// The same stars in every frame of one size: the generator starts from the same seed.
void DrawStars(uint32_t* pixels, int width, int height, float seconds) {
    uint32_t seed = 0x2545F491u;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    long count = static_cast<long>(width) * height / 6000;
    count = count < 12 ? 12 : count > 250 ? 250 : count;
    const int skyHeight = height * 3 / 4 > 0 ? height * 3 / 4 : 1;
    for (long i = 0; i < count; ++i) {
        const int x = static_cast<int>(next() % static_cast<uint32_t>(width));
        const int y = static_cast<int>(next() % static_cast<uint32_t>(skyHeight));
        const float base = 90 + static_cast<float>(next() % 120);
        const float speed = 0.5f + static_cast<float>(next() % 150) / 100.0f;
        const float phase = static_cast<float>(next() % 628) / 100.0f;
        const int b = static_cast<int>(base * (0.55f + 0.45f * std::sin(seconds * speed + phase)));
        AddLight(pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)], b, b, b + 30);
    }
}

void DrawBand(uint32_t* pixels, int width, int height, float seconds, const TBand& band) {
    const int reach = static_cast<int>(band.Reach * static_cast<float>(height)) + 1;
    const int below = height / 20 + 2;  // the lower edge ends soon
    const int upStep = (256 << 16) / reach, downStep = (256 << 16) / below;
    for (int x = 0; x < width; ++x) {
        const float u = static_cast<float>(x) / static_cast<float>(width);
        const float edge = band.Edge + band.Fold * std::sin(u * band.FoldWave + seconds * band.FoldSpeed + band.Phase) +
                           band.Ripple * std::sin(u * band.RippleWave - seconds * band.RippleSpeed + 2 * band.Phase);
        // Slow brightening along the band, and the fine vertical rays that shimmer in it.
        const float glow = 0.55f + 0.45f * std::sin(u * 2.3f + seconds * 0.21f + 3 * band.Phase);
        const float rays = 0.72f + 0.18f * std::sin(u * 71.0f + seconds * 0.9f + band.Phase) +
                           0.10f * std::sin(u * 157.0f - seconds * 1.7f);
        const int strength = static_cast<int>(256.0f * glow * rays);
        const int c = static_cast<int>(edge * static_cast<float>(height));
        const int top = c - reach > 0 ? c - reach : 0, bottom = c + below < height ? c + below : height;
        for (int y = top; y < bottom; ++y) {
            int f;
            if (y <= c) {
                const int i = (c - y) * upStep >> 16;  // 0 at the edge, 256 at the reach
                f = (256 - i) * (256 - i) >> 8;
            } else {
                const int i = (y - c) * downStep >> 16;
                f = (256 - i) * (256 - i) >> 8;
                f = f * (256 - i) >> 8;
            }
            const int a = strength * f >> 8;
            AddLight(pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)],
                     band.R * a >> 8, band.G * a >> 8, band.B * a >> 8);
        }
    }
}

void DrawHills(uint32_t* pixels, int width, int height) {
    const uint32_t ground = Rgb(4, 7, 11);
    for (int x = 0; x < width; ++x) {
        const float u = static_cast<float>(x) / static_cast<float>(width);
        const float top = 0.89f + 0.03f * std::sin(u * 9.0f + 1.0f) + 0.015f * std::sin(u * 23.0f + 0.4f);
        for (int y = static_cast<int>(top * static_cast<float>(height)); y < height; ++y)
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = ground;
    }
}

}  // namespace

void DrawAurora(uint32_t* pixels, int width, int height, float seconds) {
    if (!pixels || width <= 0 || height <= 0) return;
    DrawSky(pixels, width, height);
    DrawStars(pixels, width, height, seconds);
    for (const TBand& band : Bands) DrawBand(pixels, width, height, seconds, band);
    DrawHills(pixels, width, height);
}

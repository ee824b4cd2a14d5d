// Draws the wizard's pictures in code (gradients and simple shapes) and writes them as 24-bit
// bitmap files: left.bmp (164 x 294), icon.bmp (49 x 49) and getplayer.bmp (89 x 33, its
// surroundings in the transparent colour 0xFF00FF, given as RGB 0x00BBGGRR).
//   draw_artwork OUTPUT_DIRECTORY
#include "base/Classes.h"
#include "container/uBitmapFile.h"
#include "controls/uGraphUtilsCore.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

const TRGB TransparentKey = 0xFF00FF;

TRGB Rgb(int r, int g, int b) {
    auto c = [](int v) { return static_cast<TRGB>(std::clamp(v, 0, 255)); };
    return c(r) | c(g) << 8 | c(b) << 16;
}
int R(TRGB c) { return c & 0xFF; }
int G(TRGB c) { return (c >> 8) & 0xFF; }
int B(TRGB c) { return (c >> 16) & 0xFF; }

TRGB Mix(TRGB a, TRGB b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return Rgb(m(R(a), R(b)), m(G(a), G(b)), m(B(a), B(b)));
}

void Blend(TPixelBuffer& p, int x, int y, TRGB c, double alpha) {
    if (p.Contains(x, y)) p.SetPixel(x, y, Mix(p.Pixel(x, y), c, alpha));
}

// Coverage of a pixel by a shape given as a signed distance (negative inside), one pixel of
// soft edge.
double Coverage(double distance) { return std::clamp(0.5 - distance, 0.0, 1.0); }

void Disc(TPixelBuffer& p, double cx, double cy, double radius, TRGB c, double alpha) {
    for (int y = std::max(0, int(cy - radius - 1)); y <= std::min(p.Height() - 1, int(cy + radius + 1)); ++y)
        for (int x = std::max(0, int(cx - radius - 1)); x <= std::min(p.Width() - 1, int(cx + radius + 1)); ++x) {
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) - radius;
            if (double a = Coverage(d) * alpha) Blend(p, x, y, c, a);
        }
}

// Signed distance to a rounded rectangle [l, r) x [t, b) with corner radius rad.
double RoundRectDistance(double x, double y, double l, double t, double r, double b, double rad) {
    double cx = (l + r) / 2, cy = (t + b) / 2, hx = (r - l) / 2 - rad, hy = (b - t) / 2 - rad;
    double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - rad;
}

// Is the point inside the triangle a, b, c (any winding)?
bool InTriangle(double px, double py, const double (&v)[6]) {
    auto side = [&](int i, int j) {
        return (v[2 * j] - v[2 * i]) * (py - v[2 * i + 1]) - (v[2 * j + 1] - v[2 * i + 1]) * (px - v[2 * i]);
    };
    double a = side(0, 1), b = side(1, 2), c = side(2, 0);
    return (a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0);
}

void Triangle(TPixelBuffer& p, const double (&v)[6], TRGB c) {
    // Four samples a pixel for smooth edges.
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            int hits = 0;
            for (double sy : {0.25, 0.75})
                for (double sx : {0.25, 0.75}) hits += InTriangle(x + sx, y + sy, v);
            if (hits) Blend(p, x, y, c, hits / 4.0);
        }
}

// A 5 x 7 pixel font, only the letters the pictures use; each row is five bits, high bit left.
struct TGlyph { char Letter; uint8_t Rows[7]; };
const TGlyph Glyphs[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}}, {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
};

void Text(TPixelBuffer& p, int x, int y, const std::string& text, TRGB c, TRGB shadow) {
    for (char ch : text) {
        for (const TGlyph& g : Glyphs) {
            if (g.Letter != ch) continue;
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g.Rows[row] & (0x10 >> col)) {
                        Blend(p, x + col + 1, y + row + 1, shadow, 0.6);
                        p.PutPixel(x + col, y + row, c);
                    }
        }
        x += 6;
    }
}

// Night sky over rolling hills, a crescent moon and stars: the wizard's side picture.
TPixelBuffer Left() {
    const int w = 164, h = 294;
    TPixelBuffer p(w, h);
    const TRGB top = Rgb(12, 18, 64), middle = Rgb(40, 70, 150), low = Rgb(120, 150, 210);
    for (int y = 0; y < h; ++y) {
        double t = double(y) / (h - 1);
        TRGB c = t < 0.6 ? Mix(top, middle, t / 0.6) : Mix(middle, low, (t - 0.6) / 0.4);
        for (int x = 0; x < w; ++x) p.SetPixel(x, y, Mix(c, Rgb(90, 40, 140), 0.15 * x / w));
    }
    // Stars from a fixed little generator, so the picture is the same on every build.
    uint32_t seed = 20061;
    auto next = [&seed]() { seed = seed * 1103515245u + 12345u; return (seed >> 16) & 0x7FFF; };
    for (int i = 0; i < 70; ++i) {
        int x = int(next() % w), y = int(next() % 170);
        double bright = 0.4 + (next() % 60) / 100.0;
        Blend(p, x, y, Rgb(255, 255, 230), bright);
        if (next() % 5 == 0) {
            Blend(p, x - 1, y, Rgb(255, 255, 230), bright * 0.4);
            Blend(p, x + 1, y, Rgb(255, 255, 230), bright * 0.4);
            Blend(p, x, y - 1, Rgb(255, 255, 230), bright * 0.4);
            Blend(p, x, y + 1, Rgb(255, 255, 230), bright * 0.4);
        }
    }
    // The moon: a glow, and a crescent (a bright disc less a disc beside it).
    Disc(p, 112, 62, 34, Rgb(160, 180, 255), 0.12);
    for (int y = 30; y < 95; ++y)
        for (int x = 80; x < 150; ++x) {
            double moon = Coverage(std::hypot(x + 0.5 - 112, y + 0.5 - 62) - 24);
            double bite = Coverage(std::hypot(x + 0.5 - 124, y + 0.5 - 54) - 21);
            if (double a = moon * (1 - bite)) Blend(p, x, y, Rgb(250, 244, 200), a);
        }
    // Three layers of hills, darker towards the front.
    const struct { double Base, Amp, Freq, Phase; TRGB Color; } hills[] = {
        {205, 14, 0.045, 0.5, Rgb(36, 60, 110)},
        {232, 12, 0.060, 2.1, Rgb(22, 44, 80)},
        {258, 10, 0.080, 4.0, Rgb(10, 26, 50)},
    };
    for (const auto& hill : hills)
        for (int x = 0; x < w; ++x) {
            double edge = hill.Base + hill.Amp * std::sin(hill.Freq * x + hill.Phase) +
                          hill.Amp * 0.4 * std::sin(hill.Freq * 2.7 * x + hill.Phase * 1.3);
            for (int y = std::max(0, int(edge) - 1); y < h; ++y) Blend(p, x, y, hill.Color, Coverage(edge - (y + 0.5)));
        }
    // A gentle light frame on the right, where the picture meets the page.
    for (int y = 0; y < h; ++y) Blend(p, w - 1, y, Rgb(255, 255, 255), 0.25);
    return p;
}

// A display showing a small night scene: the uninstaller's and the wizard's icon.
TPixelBuffer Icon() {
    const int s = 49;
    TPixelBuffer p(s, s, Rgb(255, 255, 255));
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            double d = RoundRectDistance(x + 0.5, y + 0.5, 1, 1, 48, 48, 9);
            TRGB c = Mix(Rgb(70, 170, 230), Rgb(20, 70, 160), double(x + y) / (2 * s));
            Blend(p, x, y, c, Coverage(d));
        }
    // The display: frame, screen, stand.
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            double frame = RoundRectDistance(x + 0.5, y + 0.5, 8, 9, 41, 33, 3);
            Blend(p, x, y, Rgb(235, 238, 245), Coverage(frame));
            double screen = RoundRectDistance(x + 0.5, y + 0.5, 11, 12, 38, 30, 1);
            Blend(p, x, y, Mix(Rgb(15, 20, 70), Rgb(60, 90, 170), (y - 12) / 18.0), Coverage(screen));
        }
    p.FillRect({21, 33, 28, 37}, Rgb(210, 214, 225));
    p.FillRect({15, 37, 34, 39}, Rgb(235, 238, 245));
    Disc(p, 31, 18, 3.5, Rgb(250, 244, 200), 1.0);
    Disc(p, 32.6, 17, 3, Rgb(20, 28, 80), 1.0);
    for (auto [x, y] : {std::pair{15, 15}, {20, 22}, {25, 14}, {35, 25}, {17, 27}})
        Blend(p, x, y, Rgb(255, 255, 230), 0.9);
    return p;
}

// A rounded orange button with a play symbol and "GET PLAYER", on the transparent colour.
TPixelBuffer GetPlayerButton() {
    const int w = 89, h = 33;
    TPixelBuffer p(w, h, TransparentKey);
    const TRGB face = Rgb(192, 192, 192);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double d = RoundRectDistance(x + 0.5, y + 0.5, 0.5, 0.5, w - 0.5, h - 0.5, 8);
            double cover = Coverage(d);
            if (cover < 0.5) continue;  // stays transparent: a mask has no half measures
            double t = double(y) / (h - 1);
            TRGB c = t < 0.5 ? Mix(Rgb(255, 190, 90), Rgb(240, 120, 20), t * 2)
                             : Mix(Rgb(220, 90, 10), Rgb(250, 150, 40), (t - 0.5) * 2);
            if (d > -1.5) c = Mix(c, Rgb(150, 60, 0), 0.7);  // a darker rim
            p.SetPixel(x, y, Mix(face, c, std::min(1.0, cover * 1.5)));
        }
    Disc(p, 16.5, 16.5, 10, Rgb(255, 255, 255), 1.0);
    const double play[6] = {13, 10.5, 13, 22.5, 23, 16.5};
    Triangle(p, play, Rgb(230, 100, 10));
    Text(p, 33, 7, "GET", Rgb(255, 255, 255), Rgb(140, 50, 0));
    Text(p, 33, 18, "PLAYER", Rgb(255, 255, 255), Rgb(140, 50, 0));
    // No drawn pixel may equal the transparent colour by accident.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (p.Pixel(x, y) == TransparentKey && RoundRectDistance(x + 0.5, y + 0.5, 0.5, 0.5, w - 0.5, h - 0.5, 8) < 0)
                p.SetPixel(x, y, TransparentKey ^ 0x000100);
    return p;
}

void Save(const TPixelBuffer& p, const std::string& fileName) {
    TBuffer file = EncodeBitmapFile24(p);
    TFileStream out(fileName, fmCreate);
    out.WriteBuffer(file.Data(), file.Size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_artwork OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    try {
        Save(Left(), dir + "left.bmp");
        Save(Icon(), dir + "icon.bmp");
        Save(GetPlayerButton(), dir + "getplayer.bmp");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "draw_artwork: %s\n", e.what());
        return 1;
    }
    return 0;
}

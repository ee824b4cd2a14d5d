#include "controls/uGraphUtilsCore.h"
#include <gtest/gtest.h>

TEST(ColorArithmetic, ScalesChannelsWithTheZeroChannelRuleAndCapping) {
    EXPECT_EQ(DarkenRGB(0xFFFFFF), 0x999999u);
    EXPECT_EQ(LightenRGB(0x000080), 0x6A6AA6u);
    EXPECT_EQ(LightenRGB(0xFFFFFF), 0xFFFFFFu);
    EXPECT_EQ(DarkenRGB(0x000000), 0x000000u);
    EXPECT_EQ(LightenRGB(0x000000), 0x6A6A6Au);
    // Channels are independent: no carry between them.
    EXPECT_EQ(ScaleRGB(0x01FF02, 2.0), 0x02FF04u);
    // Ties round to even: 5 × 0.5 = 2.5 → 2, 7 × 0.5 = 3.5 → 4.
    EXPECT_EQ(ScaleRGB(0x070505, 0.5), 0x040202u);
    // Only the colour bits count.
    EXPECT_EQ(DarkenRGB(0xFF000000u | 0x0A0A0A), 0x060606u);
}

TEST(ColorArithmetic, ContrastIsWhiteForMidGreyElseTheInverse) {
    EXPECT_EQ(ContrastRGB(0x808080), 0xFFFFFFu);
    EXPECT_EQ(ContrastRGB(0x707070), 0x8F8F8Fu);
    EXPECT_EQ(ContrastRGB(0x000000), 0xFFFFFFu);
    EXPECT_EQ(ContrastRGB(0x8F8F8F), 0xFFFFFFu);  // avg 143
    EXPECT_EQ(ContrastRGB(0x909090), 0x6F6F6Fu);  // avg 144, bound excluded
    EXPECT_EQ(ContrastRGB(0x0000FF), 0xFFFF00u);
}

TEST(PixelFormats, OnlyTheAllowedFormatsPass) {
    using namespace PixelFormatId;
    for (int f : {pfDevice, pf1bit, pf4bit, pf8bit, pf24bit, pf32bit})
        EXPECT_FALSE(CheckPixelFormat(f, MaskablePixelFormats)) << f;
    for (int f : std::initializer_list<int>{pf15bit, pf16bit, pfCustom, 16, -1}) {
        try {
            CheckPixelFormat(f, MaskablePixelFormats);
            ADD_FAILURE() << "format " << f << " accepted";
        } catch (const EInvalidBitmap& e) {
            EXPECT_STREQ(e.what(), SInvalidBitmapFormat);
        }
    }
}

namespace {

const TRGB Face = 0x808080;

TPixelBuffer Bevel(int w, int h, int nv, int nh, bool raised, bool outline) {
    TPixelBuffer canvas(w + 2, h + 2, 0x123456);
    DrawFacePixels(canvas, {1, 1, 1 + w, 1 + h}, Face, nv, nh, raised, outline);
    return canvas;
}

}  // namespace

TEST(Bevel, RaisedWithOutlineHasLightTopLeftAndBlackBottomRight) {
    TPixelBuffer c = Bevel(10, 8, 1, 1, true, true);
    const TRGB light = LightenRGB(Face);
    for (int x = 1; x <= 9; ++x) EXPECT_EQ(c.Pixel(x, 1), light) << x;         // top edge
    for (int y = 1; y <= 7; ++y) EXPECT_EQ(c.Pixel(1, y), light) << y;         // left edge
    for (int x = 2; x <= 10; ++x) EXPECT_EQ(c.Pixel(x, 8), rgbBlack) << x;     // bottom edge
    for (int y = 2; y <= 8; ++y) EXPECT_EQ(c.Pixel(10, y), rgbBlack) << y;     // right edge
    EXPECT_EQ(c.Pixel(1, 8), rgbBlack);
    EXPECT_EQ(c.Pixel(10, 1), rgbBlack);
    for (int y = 2; y <= 7; ++y)
        for (int x = 2; x <= 9; ++x) EXPECT_EQ(c.Pixel(x, y), Face);           // no dark line
    for (int x = 0; x < c.Width(); ++x) EXPECT_EQ(c.Pixel(x, 0), 0x123456u);   // nothing outside
    for (int y = 0; y < c.Height(); ++y) EXPECT_EQ(c.Pixel(11, y), 0x123456u);
}

TEST(Bevel, SunkenWithTwoLinesPutsOutlineAndDarkTopLeftLightBottomRight) {
    TPixelBuffer c = Bevel(10, 10, 2, 2, false, true);
    const TRGB light = LightenRGB(Face), dark = DarkenRGB(Face);
    EXPECT_EQ(c.Pixel(1, 5), rgbBlack);   // outline left
    EXPECT_EQ(c.Pixel(5, 1), rgbBlack);   // outline top
    EXPECT_EQ(c.Pixel(2, 5), dark);       // one dark line (2 − 1)
    EXPECT_EQ(c.Pixel(5, 2), dark);
    EXPECT_EQ(c.Pixel(10, 5), light);     // two light lines at the right
    EXPECT_EQ(c.Pixel(9, 5), light);
    EXPECT_EQ(c.Pixel(5, 10), light);     // and at the bottom
    EXPECT_EQ(c.Pixel(5, 9), light);
    EXPECT_EQ(c.Pixel(5, 5), Face);
}

TEST(Bevel, WithoutOutlineRaisedHasOnlyLightAndDark) {
    TPixelBuffer c = Bevel(6, 6, 1, 1, true, false);
    const TRGB light = LightenRGB(Face), dark = DarkenRGB(Face);
    EXPECT_EQ(c.Pixel(1, 3), light);
    EXPECT_EQ(c.Pixel(3, 1), light);
    EXPECT_EQ(c.Pixel(6, 3), dark);
    EXPECT_EQ(c.Pixel(3, 6), dark);
    for (TRGB p : c.Pixels()) EXPECT_NE(p, rgbBlack);
}

TEST(Bevel, EmptyRectangleDrawsNothing) {
    EXPECT_TRUE(BevelLines({5, 5, 5, 20}, Face, 3, 3, true, true).empty());
    EXPECT_TRUE(BevelLines({5, 5, 20, 5}, Face, 3, 3, false, true).empty());
    // Absurd line counts stay bounded.
    EXPECT_LT(BevelLines({0, 0, 4, 4}, Face, 1 << 30, 1 << 30, true, true).size(), 64u);
}

TEST(DisabledText, LightPassFirstThenDarkOnePixelUpLeft) {
    TTextPass passes[2];
    DisabledTextPasses({10, 20, 110, 40}, 0x808080, passes);
    EXPECT_EQ(passes[0].Color, LightenRGB(0x808080));
    EXPECT_EQ(passes[0].Rect.Left, 10);
    EXPECT_EQ(passes[0].Rect.Top, 20);
    EXPECT_EQ(passes[1].Color, DarkenRGB(0x808080));
    EXPECT_EQ(passes[1].Rect.Left, 9);
    EXPECT_EQ(passes[1].Rect.Top, 19);
    EXPECT_EQ(passes[1].Rect.Right, 110);
    EXPECT_EQ(passes[1].Rect.Bottom, 40);
}

TEST(Masks, TransparentPixelsBecomeWhiteOthersBlackAndInvertSwaps) {
    TPixelBuffer img(3, 2, 0x00FF00);
    img.SetPixel(1, 0, 0xFF00FF);
    img.SetPixel(2, 1, 0xFF00FF);
    TPixelBuffer mask = MakeMaskPixels(img, 0xFF00FF, false);
    ASSERT_EQ(mask.Width(), 3);
    ASSERT_EQ(mask.Height(), 2);
    EXPECT_EQ(mask.Pixels(), (std::vector<TRGB>{0, 0xFFFFFF, 0, 0, 0, 0xFFFFFF}));
    TPixelBuffer inverted = MakeMaskPixels(img, 0xFF00FF, true);
    EXPECT_EQ(inverted.Pixels(), (std::vector<TRGB>{0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0}));
    EXPECT_TRUE(MakeMaskPixels(TPixelBuffer(), 0, false).Empty());
}

TEST(Masks, MaskedDrawKeepsTheCanvasWhereTransparentAndSilhouettesAreFlat) {
    TPixelBuffer img(2, 2, 0x112233);
    img.SetPixel(1, 1, 0xFF00FF);
    TPixelBuffer mask = MakeMaskPixels(img, 0xFF00FF, false);

    TPixelBuffer canvas(4, 4, 0xABCDEF);
    DrawMaskedPixels(canvas, 1, 1, img, mask);
    EXPECT_EQ(canvas.Pixel(1, 1), 0x112233u);
    EXPECT_EQ(canvas.Pixel(2, 1), 0x112233u);
    EXPECT_EQ(canvas.Pixel(2, 2), 0xABCDEFu);  // transparent
    EXPECT_EQ(canvas.Pixel(0, 0), 0xABCDEFu);

    TPixelBuffer plain(3, 3, 0xABCDEF);
    DrawMaskedPixels(plain, 0, 0, img, TPixelBuffer());  // empty mask: drawn opaque
    EXPECT_EQ(plain.Pixel(1, 1), 0xFF00FFu);

    TPixelBuffer disabled(4, 4, 0x808080);
    DrawDisabledImagePixels(disabled, 0, 0, 0xEEEEEE, 0x333333, mask);
    EXPECT_EQ(disabled.Pixel(0, 0), 0x333333u);
    EXPECT_EQ(disabled.Pixel(1, 1), 0xEEEEEEu);  // light shows where dark is transparent
    EXPECT_EQ(disabled.Pixel(2, 2), 0x808080u);  // transparent in both
    EXPECT_EQ(disabled.Pixel(2, 1), 0xEEEEEEu);

    TPixelBuffer edge(2, 2, 0);
    DrawMaskedPixels(edge, -1, 1, img, mask);  // clipped, no out-of-bounds writes
    EXPECT_EQ(edge.Pixel(0, 1), 0x112233u);
}

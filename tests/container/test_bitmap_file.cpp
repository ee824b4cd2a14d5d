#include "base/Endian.h"
#include "container/uBitmapFile.h"
#include "container/OddBitmaps.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

TPixelBuffer Pattern(int w, int h) {
    TPixelBuffer p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.SetPixel(x, y, TRGB(x * 37 + y) | TRGB(y * 11) << 8 | TRGB(x ^ y) << 16);
    return p;
}

std::vector<uint8_t> Bytes(const TBuffer& b) { return std::vector<uint8_t>(b.Data(), b.Data() + b.Size()); }

}  // namespace

TEST(BitmapFile, TwentyFourBitRoundTripWithRowPadding) {
    for (int w : {1, 2, 3, 5, 89}) {
        TPixelBuffer p = Pattern(w, 7);
        TBuffer file = EncodeBitmapFile24(p);
        TBitmapFileInfo info = CheckBitmapFile(file.Data(), file.Size());
        EXPECT_EQ(info.FileSize, file.Size());
        EXPECT_EQ(info.BitsOffset, 54u);
        EXPECT_EQ(info.BitsSize, uint32_t((w * 3 + 3) / 4 * 4 * 7));
        EXPECT_EQ(info.PixelFormat(), PixelFormatId::pf24bit);
        EXPECT_FALSE(info.TopDown);
        EXPECT_EQ(DecodeBitmapFile(file.Data(), file.Size()), p) << w;
    }
}

TEST(BitmapFile, MonochromeKeepsWhiteAndTurnsEverythingElseBlack) {
    TPixelBuffer p(10, 3, rgbBlack);
    p.SetPixel(0, 0, rgbWhite);
    p.SetPixel(9, 2, rgbWhite);
    p.SetPixel(4, 1, 0x808080);
    TBuffer file = EncodeBitmapFile1(p);
    TBitmapFileInfo info = CheckBitmapFile(file.Data(), file.Size());
    EXPECT_EQ(info.PixelFormat(), PixelFormatId::pf1bit);
    EXPECT_EQ(info.ColorCount, 2u);
    EXPECT_EQ(file.Size(), 14u + 40 + 8 + 4 * 3);
    TPixelBuffer back = DecodeBitmapFile(file.Data(), file.Size());
    EXPECT_EQ(back.Pixel(0, 0), rgbWhite);
    EXPECT_EQ(back.Pixel(9, 2), rgbWhite);
    EXPECT_EQ(back.Pixel(4, 1), rgbBlack);
    EXPECT_EQ(back.Pixel(1, 0), rgbBlack);
}

TEST(BitmapFile, ReadsATopDownPalettedFileAndTrailingBytesAreNotPartOfIt) {
    // 3 × 2, 8 bits, top-down, two colours used, followed by unrelated bytes.
    std::vector<uint8_t> f(14 + 40 + 8 + 8, 0);
    f[0] = 'B'; f[1] = 'M';
    SetLE32(&f[2], 14 + 40 + 8 + 8);
    SetLE32(&f[10], 14 + 40 + 8);
    SetLE32(&f[14], 40);
    SetLE32(&f[18], 3);
    SetLE32(&f[22], static_cast<uint32_t>(-2));
    SetLE16(&f[26], 1);
    SetLE16(&f[28], 8);
    SetLE32(&f[46], 2);
    f[54] = 0x30; f[55] = 0x20; f[56] = 0x10;  // entry 0: RGB 10 20 30
    f[58] = 0xFF;                              // entry 1: blue
    f[62] = 1; f[63] = 0; f[64] = 1;           // top row
    f[66] = 0; f[67] = 7; f[68] = 0;           // bottom row; index 7 is past the table
    f.insert(f.end(), {1, 2, 3});
    TBitmapFileInfo info = CheckBitmapFile(f.data(), f.size());
    EXPECT_TRUE(info.TopDown);
    EXPECT_EQ(info.FileSize, 70u);
    TPixelBuffer p = DecodeBitmapFile(f.data(), f.size());
    EXPECT_EQ(p.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(p.Pixel(1, 0), 0x302010u);
    EXPECT_EQ(p.Pixel(1, 1), rgbBlack);
}

TEST(BitmapFile, RejectsEveryInconsistentHeader) {
    TBuffer good = EncodeBitmapFile24(Pattern(4, 4));
    struct TCase { const char* What; size_t Offset; uint32_t Value; int Width; };
    const TCase cases[] = {
        {"signature", 0, 'X', 1},
        {"file size past data", 2, 100000, 4},
        {"file size below headers", 2, 20, 4},
        {"pixel offset past file", 10, 1000, 4},
        {"pixel offset inside headers", 10, 20, 4},
        {"header size", 14, 41 + 100, 4},
        {"width zero", 18, 0, 4},
        {"width huge", 18, 0x7FFFFFFF, 4},
        {"height min", 22, 0x80000000u, 4},
        {"planes", 26, 2, 2},
        {"bit count", 28, 7, 2},
        {"compression", 30, 9, 4},
        {"run length on 24 bits", 30, 1, 4},
        {"colour count", 46, 0x01000000, 4},
    };
    for (const TCase& c : cases) {
        std::vector<uint8_t> f(good.Data(), good.Data() + good.Size());
        if (c.Width == 1) f[c.Offset] = static_cast<uint8_t>(c.Value);
        else if (c.Width == 2) SetLE16(&f[c.Offset], static_cast<uint16_t>(c.Value));
        else SetLE32(&f[c.Offset], c.Value);
        EXPECT_THROW(CheckBitmapFile(f.data(), f.size()), EBitmapFormatError) << c.What;
    }
    for (size_t cut : {size_t(0), size_t(10), size_t(30), good.Size() - 1})
        EXPECT_THROW(CheckBitmapFile(good.Data(), cut), EBitmapFormatError) << cut;
    EXPECT_THROW(EncodeBitmapFile24(TPixelBuffer()), EInvalidBitmap);
    EXPECT_EQ(Bytes(EncodeBitmapFile24(Pattern(4, 4))), Bytes(good));
}

// The check is the one answer of every reader: what it accepts is drawn, what it refuses is
// refused by the bitmap list, the bitmap class and the authoring tool alike.
TEST(BitmapFile, RunLengthIsRefusedAndAnyBitFieldsAreDrawnThroughDecoding) {
    std::vector<uint8_t> rle = oddbitmaps::RunLength8();
    try {
        CheckBitmapFile(rle.data(), rle.size());
        ADD_FAILURE() << "a run-length picture was accepted";
    } catch (const EBitmapFormatError& e) {
        EXPECT_NE(std::string(e.Message()).find("run-length"), std::string::npos) << e.Message();
    }
    EXPECT_THROW(DecodeBitmapFile(rle.data(), rle.size()), EBitmapFormatError);

    std::vector<uint8_t> odd = oddbitmaps::BitFields444();
    TBitmapFileInfo info = CheckBitmapFile(odd.data(), odd.size());
    EXPECT_TRUE(info.HasMasks(0x0F00, 0x00F0, 0x000F));
    EXPECT_EQ(info.PixelFormat(), PixelFormatId::pf24bit);  // no pixel format of its own
    EXPECT_FALSE(info.StoredAsDrawn());
    TPixelBuffer p = DecodeBitmapFile(odd.data(), odd.size());
    ASSERT_EQ(p.Width(), 2);
    EXPECT_EQ(p.Pixel(0, 0), oddbitmaps::BitFields444Pixels[0]);
    EXPECT_EQ(p.Pixel(1, 0), oddbitmaps::BitFields444Pixels[1]);
    EXPECT_EQ(p.Pixel(0, 1), oddbitmaps::BitFields444Pixels[2]);
    EXPECT_EQ(p.Pixel(1, 1), oddbitmaps::BitFields444Pixels[3]);

    // The usual 5-6-5 layout keeps its own format and is copied as stored.
    SetLE32(&odd[54], 0xF800);
    SetLE32(&odd[58], 0x07E0);
    SetLE32(&odd[62], 0x001F);
    info = CheckBitmapFile(odd.data(), odd.size());
    EXPECT_EQ(info.PixelFormat(), PixelFormatId::pf16bit);
    EXPECT_TRUE(info.StoredAsDrawn());
}

TEST(BitmapFile, PicturesWithMorePixelsThanAnyReaderTakesAreRefused) {
    std::vector<uint8_t> f = oddbitmaps::Header(8192, 4096, 1, 0, 8, 0, 2);  // 2^25 pixels
    f.resize(f.size() + 8192 / 8 * 4096);
    SetLE32(&f[2], static_cast<uint32_t>(f.size()));
    EXPECT_THROW(CheckBitmapFile(f.data(), f.size()), EBitmapFormatError);
}

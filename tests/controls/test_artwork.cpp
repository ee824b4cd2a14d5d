// The wizard's pictures as the build packs them.
#include "TestSupport.h"
#include "controls/uBitmapListStream.h"
#include <gtest/gtest.h>

using namespace testing_support;

TEST(Artwork, PackedListHoldsThePicturesTheWizardNeeds) {
    TMemoryStream s;
    s.LoadFromFile(NativePath(EnvPath("KESTRIN_BIN_DIR") / "artwork" / "Images.bitmaps"));
    s.SetPosition(0);
    TBitmapListData list;
    list.ReadBitmaps(s);
    EXPECT_TRUE(list.Compressed());
    EXPECT_EQ(list.Images().GetCount(), 3);
    ASSERT_EQ(list.Masks().GetCount(), 1);
    EXPECT_EQ(list.Masks().KeyAt(0), "GetFlashPlayer");
    struct { const char* Name; int W, H; } pictures[] = {{"Left", 164, 294}, {"Icon", 49, 49}, {"GetFlashPlayer", 89, 33}};
    for (const auto& p : pictures) {
        TBitmapFileInfo info;
        ASSERT_NE(list.FindFile(list.Images(), p.Name, &info), nullptr) << p.Name;
        EXPECT_EQ(info.Width, p.W);
        EXPECT_EQ(info.Height, p.H);
        EXPECT_EQ(info.PixelFormat(), PixelFormatId::pf24bit);
    }
    TPixelBuffer button = list.DecodeFile(list.Images(), "GetFlashPlayer");
    TPixelBuffer mask = list.DecodeFile(list.Masks(), "GetFlashPlayer");
    EXPECT_EQ(mask, MakeMaskPixels(button, 0xFF00FF, false));
    // Corners transparent, centre opaque.
    EXPECT_EQ(mask.Pixel(0, 0), rgbWhite);
    EXPECT_EQ(mask.Pixel(88, 32), rgbWhite);
    EXPECT_EQ(mask.Pixel(44, 16), rgbBlack);
}

// The wizard's pictures as the build draws them, stored the way the form compiler stores them.
#include "TestSupport.h"
#include "controls/uBitmapListStream.h"
#include <gtest/gtest.h>

using namespace testing_support;

TEST(Artwork, DrawnPicturesMakeTheListTheWizardNeeds) {
    const auto dir = EnvPath("KESTRIN_BIN_DIR") / "artwork";
    TBitmapListData list;
    list.SetCompressed(true);
    struct { const char* Name; const char* File; bool Masked; } entries[] = {
        {"GetFlashPlayer", "getplayer.bmp", true}, {"icon", "icon.bmp", false}, {"Left", "left.bmp", false}};
    for (const auto& e : entries) {
        TMemoryStream bytes;
        bytes.LoadFromFile(NativePath(dir / e.File));
        list.AddPicture(e.Name, bytes.Memory(), static_cast<size_t>(bytes.Size()), e.Masked, 0xFF00FF);
    }
    TMemoryStream stored;
    list.WriteBitmaps(stored);
    stored.SetPosition(0);
    TBitmapListData back;
    back.ReadBitmaps(stored);
    EXPECT_TRUE(back.Compressed());
    EXPECT_EQ(back.Images().GetCount(), 3);
    ASSERT_EQ(back.Masks().GetCount(), 1);
    EXPECT_EQ(back.Masks().KeyAt(0), "GetFlashPlayer");
    struct { const char* Name; int W, H; } pictures[] = {{"Left", 164, 294}, {"Icon", 49, 49}, {"GetFlashPlayer", 89, 33}};
    for (const auto& p : pictures) {
        TBitmapFileInfo info;
        ASSERT_NE(back.FindFile(back.Images(), p.Name, &info), nullptr) << p.Name;
        EXPECT_EQ(info.Width, p.W);
        EXPECT_EQ(info.Height, p.H);
        EXPECT_EQ(info.PixelFormat(), PixelFormatId::pf24bit);
    }
    TPixelBuffer button = back.DecodeFile(back.Images(), "GetFlashPlayer");
    TPixelBuffer mask = back.DecodeFile(back.Masks(), "GetFlashPlayer");
    EXPECT_EQ(mask, MakeMaskPixels(button, 0xFF00FF, false));
    // Corners transparent, centre opaque.
    EXPECT_EQ(mask.Pixel(0, 0), rgbWhite);
    EXPECT_EQ(mask.Pixel(88, 32), rgbWhite);
    EXPECT_EQ(mask.Pixel(44, 16), rgbBlack);
    TBitmapFileInfo maskInfo;
    back.FindFile(back.Masks(), "GetFlashPlayer", &maskInfo);
    EXPECT_EQ(maskInfo.PixelFormat(), PixelFormatId::pf1bit);
}

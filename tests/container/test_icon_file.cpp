#include "base/Endian.h"
#include "container/uIconFile.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// An icon file with one DIB image per size, each image its own bytes.
std::vector<uint8_t> IconFile(std::vector<int> sizes) {
    const uint32_t count = static_cast<uint32_t>(sizes.size());
    std::vector<uint8_t> f(6 + 16 * count, 0);
    SetLE16(&f[2], 1);
    SetLE16(&f[4], static_cast<uint16_t>(count));
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t side = static_cast<uint32_t>(sizes[i]);
        std::vector<uint8_t> img(40 + side * side * 4 + side * 4, static_cast<uint8_t>(i + 1));
        SetLE32(&img[0], 40);
        SetLE32(&img[4], side);
        SetLE32(&img[8], side * 2);
        uint8_t* e = &f[6 + 16 * i];
        e[0] = e[1] = static_cast<uint8_t>(side == 256 ? 0 : side);
        SetLE16(e + 4, 1);
        SetLE16(e + 6, 32);
        SetLE32(e + 8, static_cast<uint32_t>(img.size()));
        SetLE32(e + 12, static_cast<uint32_t>(f.size()));
        f.insert(f.end(), img.begin(), img.end());
    }
    return f;
}

std::string Message(const std::vector<uint8_t>& f) {
    try {
        CheckIconFile(f.data(), f.size());
    } catch (const EIconFormatError& e) {
        return e.Message();
    }
    return "";
}

}  // namespace

TEST(IconFile, DirectoryAndImagesAreReadAsStored) {
    std::vector<uint8_t> f = IconFile({16, 32, 256});
    TIconFileInfo info = CheckIconFile(f.data(), f.size());
    ASSERT_EQ(info.Images.size(), 3u);
    EXPECT_EQ(info.Images[0].Width, 16);
    EXPECT_EQ(info.Images[2].Width, 256);  // 0 in the entry
    EXPECT_EQ(info.Images[1].Offset, info.Images[0].Offset + info.Images[0].Size);
    EXPECT_EQ(info.End, f.size());
    EXPECT_EQ(f[info.Images[1].Offset + 40], 2);
}

TEST(IconFile, EveryFaultIsNamed) {
    std::vector<uint8_t> good = IconFile({16, 32});
    auto with = [&](size_t at, uint32_t v, int width) {
        std::vector<uint8_t> f = good;
        if (width == 2) SetLE16(&f[at], static_cast<uint16_t>(v)); else SetLE32(&f[at], v);
        return f;
    };
    EXPECT_NE(Message(with(2, 2, 2)).find("not an icon"), std::string::npos);  // a cursor
    EXPECT_NE(Message(with(4, 0, 2)).find("no images"), std::string::npos);
    EXPECT_NE(Message(with(4, 900, 2)).find("directory"), std::string::npos);
    EXPECT_NE(Message(with(6 + 8, 0, 4)).find("empty"), std::string::npos);
    EXPECT_NE(Message(with(6 + 12, 10, 4)).find("overlaps"), std::string::npos);
    EXPECT_NE(Message(with(6 + 16 + 8, 0x7FFFFFFF, 4)).find("runs past"), std::string::npos);
    EXPECT_NE(Message(with(6 + 16 + 12, 0xFFFFFFF0u, 4)).find("runs past"), std::string::npos);
    EXPECT_NE(Message(with(6 + 32, 12, 4)).find("neither"), std::string::npos);  // an old 12-byte header
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_NE(Message(cut).find("runs past"), std::string::npos);
    EXPECT_EQ(Message(good), "");
}

TEST(IconFile, AStreamIsReadUpToTheFurthestImageOnly) {
    std::vector<uint8_t> f = IconFile({16, 48});
    const size_t size = f.size();
    f.insert(f.end(), {'n', 'e', 'x', 't'});
    TMemoryStream s;
    s.WriteBuffer(f.data(), f.size());
    s.SetPosition(0);
    std::string file = ReadIconFile(s);
    EXPECT_EQ(file.size(), size);
    EXPECT_EQ(s.Position(), static_cast<int64_t>(size));

    // A directory that claims far more than the stream holds is refused before it is read.
    std::vector<uint8_t> bad = IconFile({16});
    SetLE32(&bad[6 + 8], 0x7FFFFFF0);
    TMemoryStream b;
    b.WriteBuffer(bad.data(), bad.size());
    b.SetPosition(0);
    EXPECT_THROW(ReadIconFile(b), EIconFormatError);
}

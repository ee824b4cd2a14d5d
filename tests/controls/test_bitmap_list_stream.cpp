#include "base/Endian.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"
#include "container/OddBitmaps.h"
#include "controls/uBitmapListStream.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Picture(int w, int h, TRGB color) {
    TBuffer b = EncodeBitmapFile24(TPixelBuffer(w, h, color));
    return Bytes(b.Data(), b.Data() + b.Size());
}

Bytes Mask(int w, int h) {
    TPixelBuffer m(w, h, rgbBlack);
    m.SetPixel(0, 0, rgbWhite);
    TBuffer b = EncodeBitmapFile1(m);
    return Bytes(b.Data(), b.Data() + b.Size());
}

void Add(TBitmapListData& list, const std::string& name, const Bytes& file, bool mask = false) {
    list.AddTo(name, mask ? list.Masks() : list.Images(), file.data(), file.size());
}

Bytes Stored(const TBitmapListData& list, TBitmapListLayout layout = TBitmapListLayout::blCurrent) {
    TMemoryStream s;
    list.WriteBitmaps(s, layout);
    return Bytes(s.Memory(), s.Memory() + s.Size());
}

void Load(TBitmapListData& list, const Bytes& stored) {
    TMemoryStream s;
    s.WriteBuffer(stored.data(), stored.size());
    s.SetPosition(0);
    list.ReadBitmaps(s);
}

Bytes FileOf(const TBitmapListData& list, const THash& table, const std::string& name) {
    TBuffer b = list.GetFile(table, name);
    return Bytes(b.Data(), b.Data() + b.Size());
}

// The list the wizard carries: three pictures, one mask.
void MakeWizardList(TBitmapListData& list) {
    Add(list, "GetFlashPlayer", Picture(89, 33, 0x2040C0));
    Add(list, "GetFlashPlayer", Mask(89, 33), true);
    Add(list, "icon", Picture(49, 49, 0x00A000));
    Add(list, "Left", Picture(164, 294, 0x804020));
}

// Every entry lies on a "BM" header and the files tile the area exactly.
void ExpectCompactArea(const TBitmapListData& list) {
    uint64_t total = 0;
    for (const THash* t : {&list.Images(), &list.Masks()})
        for (int i = 0; i < t->GetCount(); ++i) {
            TBitmapFileInfo info;
            ASSERT_NE(list.FindFile(*t, t->KeyAt(i), &info), nullptr);
            total += info.FileSize;
        }
    EXPECT_EQ(total, static_cast<uint64_t>(list.AreaSize()));
}

}  // namespace

TEST(BitmapListStream, WritesTheExactLayoutUncompressed) {
    TBitmapListData list;
    Bytes a = Picture(1, 1, 0x010203), m = Mask(1, 1);
    Add(list, "b", a);
    Add(list, "A", a);
    Add(list, "b", m, true);
    Bytes expected;
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) expected.push_back(uint8_t(v >> (8 * i))); };
    auto putStr = [&](const std::string& s) { put32(uint32_t(s.size())); expected.insert(expected.end(), s.begin(), s.end()); };
    put32(2);
    putStr("A"); put32(uint32_t(a.size()));  // ascending name order, not insertion order
    putStr("b"); put32(0);
    put32(1);
    putStr("b"); put32(uint32_t(2 * a.size()));
    expected.insert(expected.end(), {'B', 'm', 'p', 'L', 's', 't'});
    putStr("1.0.0.0");
    expected.push_back(0);
    put32(uint32_t(2 * a.size() + m.size()));
    expected.insert(expected.end(), a.begin(), a.end());
    expected.insert(expected.end(), a.begin(), a.end());
    expected.insert(expected.end(), m.begin(), m.end());
    EXPECT_EQ(Stored(list), expected);
}

TEST(BitmapListStream, CompressedRoundTripKeepsNamesFilesAndFlag) {
    TBitmapListData list;
    MakeWizardList(list);
    list.SetCompressed(true);
    Bytes stored = Stored(list);
    // After the signature, version and flag 1: the size of one zlib stream that fills the rest.
    const char sig[] = "BmpLst";
    auto at = std::search(stored.begin(), stored.end(), sig, sig + 6) - stored.begin();
    ASSERT_EQ(stored[size_t(at) + 17], 1);
    EXPECT_EQ(GetLE32(&stored[size_t(at) + 18]), stored.size() - size_t(at) - 22);
    EXPECT_EQ(stored[size_t(at) + 22], 0x78);
    EXPECT_EQ(stored[size_t(at) + 23], 0x9C);
    TBitmapListData back;
    Load(back, stored);
    EXPECT_TRUE(back.Compressed());
    EXPECT_EQ(back.Images().GetCount(), 3);
    EXPECT_EQ(back.Masks().GetCount(), 1);
    EXPECT_EQ(back.AreaSize(), list.AreaSize());
    EXPECT_EQ(std::memcmp(back.Area().Memory(), list.Area().Memory(), static_cast<size_t>(list.AreaSize())), 0);
    for (const char* name : {"GetFlashPlayer", "icon", "Left"})
        EXPECT_EQ(FileOf(back, back.Images(), name), FileOf(list, list.Images(), name)) << name;
    EXPECT_EQ(FileOf(back, back.Masks(), "GetFlashPlayer"), Mask(89, 33));
    EXPECT_TRUE(back.HasBitmap("Icon"));
    EXPECT_EQ(FileOf(back, back.Images(), "Icon"), Picture(49, 49, 0x00A000));
    EXPECT_EQ(back.DecodeFile(back.Images(), "left").Pixel(163, 293), 0x804020u);
    EXPECT_TRUE(back.DecodeFile(back.Images(), "nothing").Empty());
    EXPECT_TRUE(FileOf(back, back.Masks(), "icon").empty());
    // Written again, the same bytes.
    EXPECT_EQ(Stored(back), stored);
    // Much smaller than the area it holds, and it is a real zlib stream.
    EXPECT_LT(stored.size(), static_cast<size_t>(list.AreaSize()) / 10);
    TMemoryStream s;
    s.WriteBuffer(stored.data(), stored.size());
    s.SetPosition(0);
    TBitmapListData probe;
    probe.ReadBitmaps(s);
    EXPECT_EQ(s.Remaining(), 0);
}

TEST(BitmapListStream, EmptyAreaIsFlagAndZeroSize) {
    TBitmapListData list;
    list.SetCompressed(true);
    Bytes stored = Stored(list);
    EXPECT_EQ(stored.size(), 4u + 4 + 6 + 11 + 1 + 4);
    EXPECT_EQ(stored[4 + 4 + 6 + 11], 1);
    EXPECT_EQ(GetLE32(&stored[stored.size() - 4]), 0u);
    TBitmapListData back;
    Load(back, stored);
    EXPECT_TRUE(back.Compressed());
    EXPECT_EQ(back.AreaSize(), 0);
}

TEST(BitmapListStream, ReadsTheEarlyLayoutWithoutSignature) {
    TBitmapListData list;
    Add(list, "one", Picture(3, 3, 0x111111));
    Add(list, "two", Picture(2, 5, 0x222222));
    Bytes early = Stored(list, TBitmapListLayout::blEarly);
    EXPECT_EQ(early.size(), Stored(list).size() - 6 - 11 - 1);
    TBitmapListData back;
    back.SetCompressed(true);  // not taken from an early stream
    Load(back, early);
    EXPECT_TRUE(back.Compressed());
    EXPECT_EQ(FileOf(back, back.Images(), "two"), Picture(2, 5, 0x222222));
    // The shortest early stream: no entries, size 0, nothing else (fewer bytes than a signature).
    TBitmapListData empty;
    Load(empty, Stored(empty, TBitmapListLayout::blEarly));
    EXPECT_EQ(empty.AreaSize(), 0);
}

TEST(BitmapListStream, AddingAnExistingNameCutsTheOldFileAndAppendsTheNew) {
    TBitmapListData list;
    Bytes a = Picture(2, 2, 1), b = Picture(3, 3, 2), c = Picture(4, 4, 3), a2 = Picture(5, 1, 4);
    Add(list, "a", a);
    Add(list, "b", b);
    Add(list, "c", c);
    Add(list, "b", Mask(3, 3), true);
    const int64_t before = list.AreaSize();
    Add(list, "A", a2);  // same name when case is ignored
    EXPECT_EQ(list.Images().GetCount(), 3);
    EXPECT_EQ(list.AreaSize(), before - int64_t(a.size()) + int64_t(a2.size()));
    EXPECT_EQ(list.Images().GetItem("b"), 0);
    EXPECT_EQ(list.Images().GetItem("c"), THashValue(b.size()));
    EXPECT_EQ(list.Masks().GetItem("b"), THashValue(b.size() + c.size()));
    EXPECT_EQ(list.Images().GetItem("a"), before - THashValue(a.size()));
    EXPECT_EQ(FileOf(list, list.Images(), "a"), a2);
    EXPECT_EQ(FileOf(list, list.Images(), "c"), c);
    ExpectCompactArea(list);
    // Storing a file straight out of the area, under the name it already has.
    TBitmapFileInfo info;
    const uint8_t* own = list.FindFile(list.Images(), "b", &info);
    list.AddTo("b", list.Images(), own, info.FileSize);
    EXPECT_EQ(FileOf(list, list.Images(), "b"), b);
    EXPECT_EQ(FileOf(list, list.Images(), "c"), c);
    ExpectCompactArea(list);
}

TEST(BitmapListStream, DeletingPictureAndMaskShrinksTheAreaByBoth) {
    TBitmapListData list;
    MakeWizardList(list);
    const int64_t before = list.AreaSize();
    const Bytes icon = FileOf(list, list.Images(), "icon");
    EXPECT_TRUE(list.DeleteFrom("GetFlashPlayer", list.Images()));
    EXPECT_TRUE(list.DeleteFrom("getflashplayer", list.Masks()));
    EXPECT_FALSE(list.DeleteFrom("GetFlashPlayer", list.Masks()));
    EXPECT_FALSE(list.HasBitmap("GetFlashPlayer"));
    EXPECT_EQ(list.Masks().GetCount(), 0);
    EXPECT_EQ(list.AreaSize(), before - int64_t(Picture(89, 33, 0).size() + Mask(89, 33).size()));
    EXPECT_EQ(list.Images().GetItem("icon"), 0);
    EXPECT_EQ(FileOf(list, list.Images(), "icon"), icon);
    ExpectCompactArea(list);
    list.Rename("Left", "Side");
    EXPECT_TRUE(list.HasBitmap("side"));
    EXPECT_FALSE(list.HasBitmap("Left"));
    list.Clear();
    EXPECT_EQ(list.AreaSize(), 0);
    EXPECT_EQ(list.Images().GetCount(), 0);
}

TEST(BitmapListStream, RefusesBytesThatAreNoBitmapFile) {
    TBitmapListData list;
    const uint8_t junk[64] = {'B', 'M'};
    EXPECT_THROW(list.AddTo("x", list.Images(), junk, sizeof junk), EBitmapFormatError);
    EXPECT_EQ(list.AreaSize(), 0);
    EXPECT_EQ(list.Images().GetCount(), 0);
}

namespace {

// A stored list built by hand: image entries, mask entries, then the given section bytes.
Bytes Handmade(const std::vector<std::pair<std::string, int32_t>>& images, const Bytes& section,
               const std::vector<std::pair<std::string, int32_t>>& masks = {}) {
    TMemoryStream s;
    for (const auto* table : {&images, &masks}) {
        WriteInt32(s, int32_t(table->size()));
        for (const auto& e : *table) { WriteSizedString(s, e.first); WriteInt32(s, e.second); }
    }
    s.WriteBuffer(section.data(), section.size());
    return Bytes(s.Memory(), s.Memory() + s.Size());
}

Bytes RawSection(const Bytes& area) {
    Bytes s = {'B', 'm', 'p', 'L', 's', 't', 7, 0, 0, 0, '1', '.', '0', '.', '0', '.', '0', 0};
    for (int shift = 0; shift < 32; shift += 8) s.push_back(uint8_t(area.size() >> shift));
    s.insert(s.end(), area.begin(), area.end());
    return s;
}

}  // namespace

TEST(BitmapListStream, StoresExactlyWhatTheBitmapClassDraws) {
    TBitmapListData list;
    Bytes rle = oddbitmaps::RunLength8();
    EXPECT_THROW(list.AddPicture("rle", rle.data(), rle.size(), true, 0xFFFFFF), EBitmapFormatError);
    EXPECT_EQ(list.AreaSize(), 0);
    // In a stored list the same picture makes the whole list unreadable.
    Bytes stored = Handmade({{"rle", 0}}, RawSection(rle));
    TMemoryStream s;
    s.WriteBuffer(stored.data(), stored.size());
    s.SetPosition(0);
    EXPECT_THROW(list.ReadBitmaps(s), EReadError);

    Bytes odd = oddbitmaps::BitFields444();
    list.AddPicture("odd", odd.data(), odd.size(), true, oddbitmaps::BitFields444Pixels[0]);
    TPixelBuffer p = list.DecodeFile(list.Images(), "odd");
    EXPECT_EQ(p.Pixel(1, 1), oddbitmaps::BitFields444Pixels[3]);
    TPixelBuffer mask = list.DecodeFile(list.Masks(), "odd");
    EXPECT_EQ(mask.Pixel(0, 0), rgbWhite);  // the transparent colour
    EXPECT_EQ(mask.Pixel(1, 0), rgbBlack);
}

TEST(BitmapListStream, EveryCountSizeAndOffsetIsCheckedAndAFailedReadChangesNothing) {
    const Bytes pic = Picture(2, 2, 5);
    Bytes two = pic;
    two.insert(two.end(), pic.begin(), pic.end());
    Bytes bigCount = {0xFF, 0xFF, 0xFF, 0x7F};
    Bytes negCount = {0xFF, 0xFF, 0xFF, 0xFF};
    Bytes truncated = RawSection(pic);
    truncated.resize(truncated.size() - 1);
    Bytes badVersion = RawSection(pic);
    badVersion[6] = 0xF0;
    Bytes packed = {'B', 'm', 'p', 'L', 's', 't', 7, 0, 0, 0, '1', '.', '0', '.', '0', '.', '0', 1, 5, 0, 0, 0,
                    0x78, 0x9C, 0x01, 0x02, 0x03};
    struct TCase { const char* What; Bytes Stored; };
    const TCase cases[] = {
        {"image count past the data", bigCount},
        {"negative image count", negCount},
        {"name length past the data", {1, 0, 0, 0, 0xFF, 0xFF, 0, 0, 'a'}},
        {"offset past the area", Handmade({{"a", int32_t(pic.size())}}, RawSection(pic))},
        {"negative offset", Handmade({{"a", -1}}, RawSection(pic))},
        {"offset into the middle of a file", Handmade({{"a", 3}}, RawSection(pic))},
        {"entries share a file", Handmade({{"a", 0}, {"b", 0}}, RawSection(two))},
        {"mask shares a picture's file", Handmade({{"a", 0}}, RawSection(pic), {{"a", 0}})},
        {"area size past the data", Handmade({{"a", 0}}, truncated)},
        {"version length past the data", Handmade({}, badVersion)},
        {"file runs past the area", Handmade({{"a", 0}}, RawSection(Bytes(pic.begin(), pic.end() - 2)))},
    };
    for (const TCase& c : cases) {
        TBitmapListData list;
        Add(list, "keep", pic);
        EXPECT_THROW(Load(list, c.Stored), EReadError) << c.What;
        EXPECT_EQ(list.Images().GetCount(), 1) << c.What;
        EXPECT_EQ(FileOf(list, list.Images(), "keep"), pic) << c.What;
        EXPECT_FALSE(list.Compressed());
    }
    TBitmapListData list;
    EXPECT_THROW(Load(list, Handmade({}, packed)), EZDecompressionError);
}

TEST(BitmapListStream, AZlibBombStopsAtTheAreaLimit) {
    TBuffer zeros(MaxBitmapListArea + 1);
    std::memset(zeros.Data(), 0, zeros.Size());
    TMemoryStream s;
    WriteInt32(s, 0);
    WriteInt32(s, 0);
    s.WriteBuffer(BitmapListSignature, 6);
    WriteSizedString(s, "1.0.0.0");
    WriteUInt8(s, 1);
    WriteCompressedBlock(s, zeros.Data(), zeros.Size());
    zeros.Clear();
    s.SetPosition(0);
    TBitmapListData list;
    EXPECT_THROW(list.ReadBitmaps(s), EBitmapListError);
    EXPECT_EQ(list.AreaSize(), 0);
}

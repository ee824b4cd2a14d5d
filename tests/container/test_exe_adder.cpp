#include "PeBuilder.h"
#include "container/uExeAdder.h"
#include "container/uPEUtils.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <set>

using namespace testing_support;

namespace {

std::string Text(const TItemType& item) {
    return std::string(reinterpret_cast<const char*>(item.Data.Data()), item.Data.Size());
}

// A copy of the MinGW sample program in its own directory.
struct TStubFile {
    TempDir Dir;
    std::string Path = Dir.File("stub.exe");
    Bytes Original = ReadFile(Fixture("tiny.exe"));
    TStubFile() { WriteFile(Path, Original); }
    void Append(const Bytes& tail) {
        Bytes b = ReadFile(Path);
        b.insert(b.end(), tail.begin(), tail.end());
        WriteFile(Path, b);
    }
};

TItemTypes All(const std::string& path) {
    TItemTypes items;
    ReadItems(path, items);
    return items;
}

}  // namespace

TEST(ExeAdder, ItemsRoundTripInStoredOrderWithTheirFlags) {
    TStubFile f;
    Bytes big = RandomBytes(100000, 11);
    TWriteHelper w;
    w.AddString("GUID", "{1234}");
    w.AddItem("SCR", big.data(), true, int32_t(big.size()));
    w.AddItem("raw", "xyz", false, 3);
    w.AddItem("null", nullptr, true, 10);
    w.AddItem("zero", "abc", true, 0);
    w.AddString("empty", "");
    w.AddString("GUID", "second");
    w.SaveToExe(f.Path, 0);

    TItemTypes items = All(f.Path);
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].Name, "GUID");
    EXPECT_EQ(Text(items[0]), "{1234}");
    EXPECT_TRUE(items[0].Compressed);
    EXPECT_EQ(Bytes(items[1].Data.Data(), items[1].Data.Data() + items[1].Size()), big);
    EXPECT_EQ(Text(items[2]), "xyz");
    EXPECT_FALSE(items[2].Compressed);
    for (int i : {3, 4, 5}) {  // no data: stored uncompressed with length 0
        EXPECT_EQ(items[i].Size(), 0) << items[i].Name;
        EXPECT_FALSE(items[i].Compressed) << items[i].Name;
    }
    EXPECT_EQ(Text(items[6]), "second");

    TItemType item;
    EXPECT_TRUE(ReadItem(f.Path, "GUID", item));
    EXPECT_EQ(Text(item), "{1234}");  // the first of two wins
    EXPECT_FALSE(ReadItem(f.Path, "guid", item));  // names are case-sensitive
    EXPECT_EQ(item.Name, "");
    EXPECT_EQ(item.Size(), 0);
    EXPECT_TRUE(ReadItem(f.Path, "raw", item));
    EXPECT_EQ(Text(item), "xyz");
    FreeItem(item);
    EXPECT_EQ(item.Size(), 0);
}

TEST(ExeAdder, BlockLayoutMatchesTheStoredFormat) {
    TStubFile f;
    TWriteHelper w;
    w.AddItem("AB", "v", false, 1);
    w.SaveToExe(f.Path, 1);
    Bytes b = ReadFile(f.Path);
    const size_t start = f.Original.size();
    ASSERT_EQ(b.size(), start + 4 + 1 + 4 + 4 + (4 + 2 + 1 + 4 + 1) + 8 + 4);
    EXPECT_EQ(Get32(b, start), b.size());  // recorded file size
    EXPECT_EQ(b[start + 4], 1);              // trailing-data flag
    uint32_t key = Get32(b, start + 5);
    EXPECT_GE(key, 17u);
    EXPECT_LE(key, 255u);
    EXPECT_EQ(Get32(b, start + 9), 1u);  // count
    EXPECT_EQ(Get32(b, start + 13), 2u);
    EXPECT_EQ(b[start + 17], uint8_t('A' ^ key));
    EXPECT_EQ(b[start + 18], uint8_t('B' ^ key));
    EXPECT_EQ(Get32(b, b.size() - 12), 8u + 12);  // body length from the key to the length field
    EXPECT_EQ(std::memcmp(&b[b.size() - 4], "PLWS", 4), 0);
}

namespace {

// The stored name key of the block that `fill` writes behind a fresh stub.
int32_t KeyOf(const std::function<void(TWriteHelper&)>& fill, Bytes* file = nullptr) {
    TStubFile f;
    TWriteHelper w;
    fill(w);
    w.SaveToExe(f.Path, 0);
    TMemoryStream s;
    s.LoadFromFile(f.Path);
    int32_t key = 0;
    EXPECT_TRUE(FindDataBlock(f.Path, s, key));
    if (file) *file = ReadFile(f.Path);
    return key;
}

}  // namespace

// Readers rely on a key from 17 to 255; the writer takes it from the content, so the same items
// give the same file, and names, flags and values (also those given as zlib streams) each move it.
TEST(ExeAdder, KeysComeFromTheContentAndStayInRange) {
    Bytes first, second;
    auto same = [](TWriteHelper& w) {
        w.AddString("GUID", "{1234}");
        w.AddItem("raw", "xyz", false, 3);
    };
    EXPECT_EQ(KeyOf(same, &first), KeyOf(same, &second));
    EXPECT_EQ(first, second);

    std::set<int32_t> byName, byValue, byFlag, byStream;
    int flagMoves = 0;
    for (int i = 0; i < 100; ++i) {
        const std::string v = "value " + std::to_string(i);
        int32_t keys[] = {
            KeyOf([&](TWriteHelper& w) { w.AddString("Item" + std::to_string(i), "same"); }),
            KeyOf([&](TWriteHelper& w) { w.AddString("InstallerTitle", v); }),
            KeyOf([&](TWriteHelper& w) { w.AddItem("InstallerTitle", v.data(), false, int32_t(v.size())); }),
            KeyOf([&](TWriteHelper& w) {
                TBuffer packed;
                CompressBuffer(v.data(), v.size(), packed);
                w.AddCompressedStream("SCR", std::move(packed));
            }),
        };
        for (int32_t key : keys) {
            EXPECT_GE(key, 17);
            EXPECT_LE(key, 255);
        }
        byName.insert(keys[0]);
        byValue.insert(keys[1]);
        byFlag.insert(keys[2]);
        byStream.insert(keys[3]);
        flagMoves += keys[1] != keys[2];
        EXPECT_EQ(XorItemName(XorItemName("Item" + std::to_string(i), keys[0]), keys[0]), "Item" + std::to_string(i));
    }
    // 100 draws from 239 values give about 81 distinct ones; a key that ignored a part would give 1.
    EXPECT_GT(byName.size(), 60u);
    EXPECT_GT(byValue.size(), 60u);
    EXPECT_GT(byFlag.size(), 60u);
    EXPECT_GT(byStream.size(), 60u);
    EXPECT_GT(flagMoves, 90);
    // An empty block has a key in range too.
    int32_t empty = KeyOf([](TWriteHelper&) {});
    EXPECT_GE(empty, 17);
    EXPECT_LE(empty, 255);
}

TEST(ExeAdder, FlaggedBlockAtEndOfImageSurvivesAppendedData) {
    TStubFile flagged, unflagged;
    for (auto* f : {&flagged, &unflagged}) {
        TWriteHelper w;
        w.AddString("GUID", "g");
        w.SaveToExe(f->Path, f == &flagged ? 1 : 0);
    }
    for (size_t tail : {1u, 8u, 4096u}) {
        flagged.Append(RandomBytes(tail, uint32_t(tail)));
        unflagged.Append(RandomBytes(tail, uint32_t(tail)));
        TItemType item;
        EXPECT_TRUE(ReadItem(flagged.Path, "GUID", item)) << tail;
        EXPECT_EQ(Text(item), "g");
        EXPECT_FALSE(ReadItem(unflagged.Path, "GUID", item)) << tail;
        EXPECT_TRUE(All(unflagged.Path).empty());
    }
}

TEST(ExeAdder, LastOfSeveralBlocksIsTheOneSeen) {
    TStubFile f;
    TWriteHelper first, second;
    first.AddString("A", "1");
    first.SaveToExe(f.Path, 0);
    second.AddString("B", "2");
    second.SaveToExe(f.Path, 0);
    second.SaveToExe(f.Path, 0);  // saving again appends another block
    TItemTypes items = All(f.Path);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Name, "B");
}

TEST(ExeAdder, FileEndingWithTheSignatureNeedsNoImage) {
    TempDir dir;
    const std::string path = dir.File("data.bin");
    WriteFile(path, ToBytes("not an executable at all"));
    TWriteHelper w;
    w.AddString("k", "v");
    w.SaveToExe(path, 1);
    TItemType item;
    EXPECT_TRUE(ReadItem(path, "k", item));
    EXPECT_EQ(Text(item), "v");
    // Without the signature at the end the image is needed, and a non-image is refused.
    WriteFile(dir.File("plain.bin"), ToBytes("neither an image nor a block, just some text"));
    EXPECT_THROW(ReadItem(dir.File("plain.bin"), "k", item), EImageBlockException);
    TItemTypes items;
    EXPECT_THROW(ReadItems(dir.File("plain.bin"), items), EImageBlockException);
}

TEST(ExeAdder, NoBlockGivesEmptyResultsAndMissingFilesAreSkipped) {
    TStubFile f;
    EXPECT_TRUE(All(f.Path).empty());
    TItemType item;
    EXPECT_FALSE(ReadItem(f.Path, "GUID", item));
    TWriteHelper w;
    w.AddString("x", "y");
    w.SaveToExe(f.Dir.File("missing.exe"), 0);
    EXPECT_FALSE(FileExists(f.Dir.File("missing.exe")));
    // Too short for a block: the file must then be an image, and two bytes are not one.
    WriteFile(f.Dir.File("tiny"), ToBytes("PL"));
    EXPECT_THROW(All(f.Dir.File("tiny")), EImageBlockException);
}

namespace {

// A stub with one block whose bytes the test then damages; offsets are from the block start.
struct TDamaged : TStubFile {
    size_t Start;
    Bytes Block;
    int32_t Key;
    TDamaged() {
        TWriteHelper w;
        w.AddString("GUID", "abcdef");
        w.AddItem("raw", "12345678", false, 8);
        w.SaveToExe(Path, 0);
        Block = ReadFile(Path);
        Start = Original.size();
        Key = int32_t(Get32(Block, Start + 5));
    }
    std::string Error(const Bytes& b) {
        WriteFile(Path, b);
        TItemTypes items;
        items.emplace_back();  // must come back empty, not half-filled
        try {
            ReadItems(Path, items);
        } catch (const EDataBlockError& e) {
            EXPECT_TRUE(items.empty());
            return e.what();
        } catch (const EZDecompressionError& e) {
            EXPECT_TRUE(items.empty());
            return std::string("zlib: ") + e.what();
        }
        return "read " + std::to_string(items.size());
    }
};

}  // namespace

TEST(ExeAdder, DamagedBlocksRaiseClearErrorsAndReturnNothing) {
    TDamaged d;
    ASSERT_EQ(d.Error(d.Block), "read 2");
    const size_t count = d.Start + 9, firstName = d.Start + 13;
    const size_t firstValueLength = firstName + 4 + 4 + 1;
    const size_t bodyLength = d.Block.size() - 12;

    Bytes b = d.Block;
    Put32(b, count, 0x7FFFFFFF);
    EXPECT_NE(d.Error(b).find("item count"), std::string::npos);
    b = d.Block;
    Put32(b, count, 0xFFFFFFFF);
    EXPECT_NE(d.Error(b).find("item count"), std::string::npos);
    b = d.Block;
    Put32(b, firstName, 0x10000000);
    EXPECT_NE(d.Error(b).find("name length"), std::string::npos);
    b = d.Block;
    Put32(b, firstValueLength, 0xFFFFFFF0);
    EXPECT_NE(d.Error(b).find("negative value length"), std::string::npos);
    b = d.Block;
    Put32(b, firstValueLength, 0x00100000);
    EXPECT_NE(d.Error(b).find("runs past the block"), std::string::npos);
    b = d.Block;
    Put32(b, bodyLength, 0x7FFFFFFF);
    Put32(b, bodyLength + 4, 0);
    EXPECT_NE(d.Error(b).find("body length"), std::string::npos);
    b = d.Block;
    Put32(b, bodyLength, 3);
    EXPECT_NE(d.Error(b).find("body length"), std::string::npos);
    // Lengths at the ends of the 64-bit range must be refused, not wrapped into the file.
    const uint64_t lengths[] = {0x8000000000000000u, 0x8000000000000023u, 0xFFFFFFFFFFFFFFFFu,
                                0x7FFFFFFFFFFFFFFFu, d.Block.size() - 12 - 4, d.Block.size() * 2};
    for (uint64_t length : lengths) {
        b = d.Block;
        Put32(b, bodyLength, uint32_t(length));
        Put32(b, bodyLength + 4, uint32_t(length >> 32));
        EXPECT_NE(d.Error(b).find("body length"), std::string::npos) << std::hex << length;
    }
    b = d.Block;
    Put32(b, count, 1);  // the second record is left over
    EXPECT_NE(d.Error(b).find("do not fill"), std::string::npos);
    b = d.Block;
    b[firstValueLength + 4] ^= 0xFF;  // first byte of the zlib stream
    EXPECT_EQ(d.Error(b).rfind("zlib: ", 0), 0u);
}

TEST(ExeAdder, EveryTruncatedBlockIsRejectedOrEmptyNeverACrash) {
    TDamaged d;
    for (size_t n = d.Start; n < d.Block.size(); ++n) {
        Bytes cut(d.Block.begin(), d.Block.begin() + n);
        std::string result = d.Error(cut);
        EXPECT_TRUE(result == "read 0" || result.find("Damaged") != std::string::npos ||
                    result.rfind("zlib", 0) == 0) << n << ": " << result;
    }
}

TEST(ExeAdder, BlockBehindTheImageWithBogusRecordedSizeIsNoBlock) {
    TStubFile f;
    TWriteHelper w;
    w.AddString("GUID", "g");
    w.SaveToExe(f.Path, 1);
    f.Append(ToBytes("TAIL"));
    Bytes b = ReadFile(f.Path);
    for (uint32_t recorded : {0u, 5u, uint32_t(b.size() + 1), 0xFFFFFFFFu}) {
        Bytes c = b;
        Put32(c, f.Original.size(), recorded);
        WriteFile(f.Path, c);
        EXPECT_TRUE(All(f.Path).empty()) << recorded;
    }
}

TEST(ExeAdder, StreamEntriesReadWhatTheFileEntriesRead) {
    TDamaged d;
    TMemoryStream s;
    s.WriteBuffer(d.Block.data(), d.Block.size());
    TItemTypes fromFile = All(d.Path), fromStream;
    ReadItems(s, "in memory", fromStream);
    ASSERT_EQ(fromStream.size(), fromFile.size());
    for (size_t i = 0; i < fromFile.size(); ++i) {
        EXPECT_EQ(fromStream[i].Name, fromFile[i].Name);
        EXPECT_EQ(Text(fromStream[i]), Text(fromFile[i]));
        EXPECT_EQ(fromStream[i].Compressed, fromFile[i].Compressed);
    }
    TItemType item;
    EXPECT_TRUE(ReadItem(s, "in memory", "raw", item));
    EXPECT_EQ(Text(item), "12345678");
    EXPECT_FALSE(ReadItem(s, "in memory", "none", item));
    // Damage is reported under the name the caller gave.
    Bytes b = d.Block;
    Put32(b, d.Start + 9, 0x7FFFFFFF);
    TMemoryStream damaged;
    damaged.WriteBuffer(b.data(), b.size());
    try {
        ReadItems(damaged, "in memory", fromStream);
        ADD_FAILURE() << "no error";
    } catch (const EDataBlockError& e) {
        EXPECT_NE(std::string(e.what()).find("\"in memory\""), std::string::npos) << e.what();
        EXPECT_TRUE(fromStream.empty());
    }
}

#include "base/FileOps.h"
#include "TestSupport.h"
#include "base/Endian.h"
#include "container/uFileEmbedderData.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"
#include <gtest/gtest.h>
#include <cstring>

using namespace testing_support;

namespace {

Bytes Stored(TFileEmbedderData& d) {
    TMemoryStream s;
    d.WriteData(s);
    return Bytes(s.Memory(), s.Memory() + s.Size());
}

Bytes DataOf(TFileEmbedderData& d) { return Bytes(d.Data().Memory(), d.Data().Memory() + d.Size()); }

void Load(TFileEmbedderData& d, const Bytes& stored) {
    TMemoryStream s;
    s.WriteBuffer(stored.data(), stored.size());
    s.SetPosition(0);
    d.ReadData(s);
}

}  // namespace

TEST(FileEmbedderData, CompressedFileRoundTripsThroughTheStoredProperty) {
    TempDir dir;
    Bytes file = RandomBytes(5000, 1);
    file.insert(file.begin(), {'M', 'Z'});
    file.resize(40000, 0);  // compressible tail
    WriteFile(dir.File("uninst.exe"), file);
    TFileEmbedderData d;
    EXPECT_TRUE(d.Compressed());
    TMemoryStream s;
    d.WriteDataFromFile(s, dir.File("uninst.exe"));
    Bytes stored(s.Memory(), s.Memory() + s.Size());
    ASSERT_GT(stored.size(), 6u);
    EXPECT_EQ(GetLE32(stored.data()), stored.size() - 4);
    EXPECT_EQ(stored[4], 0x78);
    EXPECT_EQ(stored[5], 0x9C);
    EXPECT_LT(stored.size(), file.size());
    TFileEmbedderData back;
    Load(back, stored);
    EXPECT_EQ(DataOf(back), file);
    EXPECT_EQ(back.Data().Position(), 0);
}

TEST(FileEmbedderData, UncompressedPropertyIsTheCountAndTheExactBytes) {
    TFileEmbedderData d;
    d.SetCompressed(false);
    d.Data().WriteBuffer("hello", 5);
    Bytes expected = {5, 0, 0, 0, 'h', 'e', 'l', 'l', 'o'};
    EXPECT_EQ(Stored(d), expected);
    TFileEmbedderData back;
    back.SetCompressed(false);
    Load(back, expected);
    EXPECT_EQ(DataOf(back), ToBytes("hello"));
}

TEST(FileEmbedderData, MissingFileStoresZeroAndWritesAnEmptyFile) {
    TempDir dir;
    TFileEmbedderData d;
    d.Data().WriteBuffer("old", 3);
    TMemoryStream s;
    d.WriteDataFromFile(s, dir.File("missing.exe"));
    EXPECT_EQ(Bytes(s.Memory(), s.Memory() + s.Size()), (Bytes{0, 0, 0, 0}));
    TFileEmbedderData back;
    back.Data().WriteBuffer("stale", 5);
    Load(back, {0, 0, 0, 0});
    EXPECT_EQ(back.Size(), 0);
    back.SaveToFile(dir.File("out.exe"));
    EXPECT_TRUE(FileExists(dir.File("out.exe")));
    EXPECT_TRUE(ReadFile(dir.File("out.exe")).empty());
    WriteFile(dir.File("empty"), {});
    TMemoryStream e;
    d.WriteDataFromFile(e, dir.File("empty"));
    EXPECT_EQ(e.Size(), 4);
}

TEST(FileEmbedderData, SaveToFileTwiceReplacesAndLeavesNoScratchFile) {
    TempDir dir;
    TFileEmbedderData d;
    Bytes payload = RandomBytes(3000, 2);
    d.Data().WriteBuffer(payload.data(), payload.size());
    const std::string target = dir.File("Uninst.exe");
    WriteFile(target, RandomBytes(9000, 3));  // an older, longer file
    d.SaveToFile(target);
    d.SaveToFile(target);
    EXPECT_EQ(ReadFile(target), payload);
    EXPECT_FALSE(FileExists(ScratchFileName(target)));
    TMemoryStream s;
    s.WriteBuffer("ab", 2);
    d.SaveToStream(s);
    d.SaveToStream(s);
    EXPECT_EQ(s.Size(), int64_t(2 + 2 * payload.size()));
    EXPECT_THROW(d.SaveToFile(dir.File("no/such/dir/x.exe")), EFCreateError);
}

TEST(FileEmbedderData, BadPropertiesFailClearlyAndKeepTheData) {
    TFileEmbedderData d;
    d.Data().WriteBuffer("keep", 4);
    EXPECT_THROW(Load(d, {10, 0, 0, 0, 0x78, 0x9C}), EReadError);               // count past the data
    EXPECT_THROW(Load(d, {2, 0}), EReadError);                                  // count itself cut short
    EXPECT_THROW(Load(d, {4, 0, 0, 0, 0x78, 0x9C, 0x01, 0x00}), EZDecompressionError);
    EXPECT_THROW(Load(d, {4, 0, 0, 0, 'n', 'o', 'p', 'e'}), EZDecompressionError);
    EXPECT_EQ(DataOf(d), ToBytes("keep"));

    TBuffer zeros(MaxEmbeddedFileSize + 1);
    std::memset(zeros.Data(), 0, zeros.Size());
    TMemoryStream bomb;
    WriteCompressedBlock(bomb, zeros.Data(), zeros.Size());
    zeros.Clear();
    bomb.SetPosition(0);
    EXPECT_THROW(d.ReadData(bomb), EEmbeddedDataError);
    EXPECT_EQ(DataOf(d), ToBytes("keep"));
}

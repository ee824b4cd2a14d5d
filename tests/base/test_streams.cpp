#include "TestSupport.h"
#include "base/Classes.h"
#include "base/SysUtils.h"
#include <gtest/gtest.h>
#include <cstring>

using namespace testing_support;

TEST(MemoryStream, WritesReadsSeeksAndGrowsWithZeros) {
    TMemoryStream s;
    s.WriteBuffer("abc", 3);
    s.SetPosition(6);
    s.WriteBuffer("z", 1);
    ASSERT_EQ(s.Size(), 7);
    EXPECT_EQ(std::memcmp(s.Memory(), "abc\0\0\0z", 7), 0);
    s.SetPosition(1);
    char buf[4] = {};
    EXPECT_EQ(s.Read(buf, 4), 4u);
    EXPECT_EQ(std::memcmp(buf, "bc\0\0", 4), 0);
    s.Seek(-1, TSeekOrigin::soEnd);
    EXPECT_EQ(s.Read(buf, 4), 1u);
    EXPECT_EQ(s.Read(buf, 4), 0u);
    EXPECT_THROW(s.ReadBuffer(buf, 1), EReadError);
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(s.Remaining(), 0);
}

TEST(FileStream, CreatesReopensAndTruncates) {
    TempDir dir;
    const std::string name = dir.File("f.bin");
    {
        TFileStream f(name, fmCreate);
        f.WriteBuffer("hello world", 11);
    }
    EXPECT_TRUE(FileExists(name));
    EXPECT_FALSE(FileExists(dir.File("missing")));
    EXPECT_FALSE(FileExists(NativePath(dir.Path())));  // a directory is no file
    {
        TFileStream f(name, fmOpenReadWrite);
        EXPECT_EQ(f.Size(), 11);
        f.Seek(-5, TSeekOrigin::soEnd);
        char buf[5];
        f.ReadBuffer(buf, 5);
        EXPECT_EQ(std::string(buf, 5), "world");
        f.SetSize(5);
    }
    EXPECT_EQ(ReadFile(name), ToBytes("hello"));
    EXPECT_THROW(TFileStream(dir.File("missing"), fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(dir.File("no/such/dir"), fmCreate), EFCreateError);
}

TEST(FileStream, DenyNoneReaderCoexistsWithAWriter) {
    TempDir dir;
    const std::string name = dir.File("shared.bin");
    TFileStream writer(name, fmCreate);
    writer.WriteBuffer("12345", 5);
    TFileStream reader(name, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(reader.Size(), 5);
}

TEST(Stream, CopyFromCopiesAcrossChunkBoundaries) {
    Bytes data = RandomBytes(200000, 7);
    TMemoryStream src, dst;
    src.WriteBuffer(data.data(), data.size());
    src.SetPosition(100);
    EXPECT_EQ(dst.CopyFrom(src, 150000), 150000);
    ASSERT_EQ(dst.Size(), 150000);
    EXPECT_EQ(std::memcmp(dst.Memory(), data.data() + 100, 150000), 0);
    TMemoryStream all;
    all.CopyFrom(src, 0);
    EXPECT_EQ(all.Size(), 200000);
}

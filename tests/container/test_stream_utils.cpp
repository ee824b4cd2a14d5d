#include "TestSupport.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"
#include <gtest/gtest.h>
#include <cstring>

TEST(StreamUtils, IntegersAndStringsRoundTripLittleEndian) {
    TMemoryStream s;
    WriteUInt8(s, 0xAB);
    WriteInt32(s, -2);
    WriteInt64(s, 0x0102030405060708LL);
    WriteSizedString(s, std::string("a\0b", 3));
    WriteSizedString(s, "");
    const uint8_t expected[] = {0xAB, 0xFE, 0xFF, 0xFF, 0xFF, 8, 7, 6, 5, 4, 3, 2, 1, 3, 0, 0, 0, 'a', 0, 'b', 0, 0, 0, 0};
    ASSERT_EQ(s.Size(), int64_t(sizeof expected));
    EXPECT_EQ(std::memcmp(s.Memory(), expected, sizeof expected), 0);
    s.SetPosition(0);
    EXPECT_EQ(ReadUInt8(s), 0xAB);
    EXPECT_EQ(ReadInt32(s), -2);
    EXPECT_EQ(ReadInt64(s), 0x0102030405060708LL);
    EXPECT_EQ(ReadSizedString(s), std::string("a\0b", 3));
    EXPECT_EQ(ReadSizedString(s), "");
    EXPECT_EQ(s.Remaining(), 0);
    EXPECT_THROW(ReadInt32(s), EReadError);
}

TEST(StreamUtils, CountsPastTheEndFailBeforeAllocating) {
    TMemoryStream s;
    WriteInt32(s, 0x7FFFFFF0);  // claims ~2 GB behind four bytes
    WriteInt32(s, 0);
    s.SetPosition(0);
    EXPECT_THROW(ReadSizedString(s), EReadError);
    s.SetPosition(0);
    EXPECT_THROW(ReadCompressedBlock(s), EReadError);
    TMemoryStream neg;
    WriteInt32(neg, -1);  // read as an unsigned count: 4 GB
    neg.SetPosition(0);
    EXPECT_THROW(ReadSizedString(neg), EReadError);
}

TEST(StreamUtils, CompressedBlockFramesOneZlibStream) {
    testing_support::Bytes data = testing_support::RandomBytes(5000, 1);
    TMemoryStream s;
    WriteCompressedBlock(s, data.data(), data.size());
    WriteCompressedBlock(s, nullptr, 0);
    s.SetPosition(0);
    TBuffer a = ReadCompressedBlock(s);
    ASSERT_EQ(a.Size(), data.size());
    EXPECT_EQ(std::memcmp(a.Data(), data.data(), data.size()), 0);
    int64_t before = s.Position();
    EXPECT_TRUE(ReadCompressedBlock(s).Empty());
    EXPECT_EQ(s.Position(), before + 4);  // an empty payload is the count alone
}

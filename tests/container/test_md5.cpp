#include "TestSupport.h"
#include "container/md5.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>

namespace {
std::string Md5Hex(const std::string& s) {
    TMD5Context c;
    DigestInit(c);
    DigestUpdate(c, s.data(), static_cast<uint32_t>(s.size()));
    TMD5Digest d;
    DigestFinal(c, d);
    return DigestToHex(d);
}
}  // namespace

TEST(MD5, Rfc1321TestSuite) {
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Md5Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(MD5, PiecewiseUpdatesEqualOneUpdateAcrossBlockBoundaries) {
    auto data = testing_support::RandomBytes(1000, 9);
    TMD5Context whole;
    DigestInit(whole);
    DigestUpdate(whole, data.data(), 1000);
    TMD5Digest a;
    DigestFinal(whole, a);
    for (uint32_t split : {1u, 55u, 56u, 63u, 64u, 65u, 128u, 999u}) {
        TMD5Context parts;
        DigestInit(parts);
        DigestUpdate(parts, data.data(), split);
        DigestUpdate(parts, data.data() + split, 0);
        DigestUpdate(parts, data.data() + split, 1000 - split);
        TMD5Digest b;
        DigestFinal(parts, b);
        EXPECT_EQ(DigestToHex(a), DigestToHex(b)) << "split at " << split;
    }
}

TEST(MD5, FinalWipesTheContext) {
    TMD5Context c;
    DigestInit(c);
    DigestUpdate(c, "secret", 6);
    TMD5Digest d;
    DigestFinal(c, d);
    TMD5Context zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_EQ(std::memcmp(&c, &zero, sizeof c), 0);
}

TEST(VariantDigest, UsesItsOwnInitialWordsAndPrintsReversed) {
    TMD5Context c;
    VariantDigestInit(c);
    EXPECT_EQ(c.State[0], 0x5A3C9E12u);
    EXPECT_EQ(c.State[1], 0x7B1D4F60u);
    EXPECT_EQ(c.State[2], 0x2E8A6C93u);
    EXPECT_EQ(c.State[3], 0x41F0B7D5u);
    EXPECT_EQ(c.Count[0] | c.Count[1], 0u);
    DigestUpdate(c, "abc", 3);
    TMD5Digest d;
    DigestFinal(c, d);
    std::string text = VariantDigestToText(d), hex = DigestToHex(d);
    EXPECT_EQ(std::string(hex.rbegin(), hex.rend()), text);
    EXPECT_EQ(text.size(), 32u);
    EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char ch) { return std::isxdigit(ch) && !std::isupper(ch); }));
    EXPECT_NE(hex, Md5Hex("abc"));
    EXPECT_EQ(VariantDigestOf("abc", 3), text);
    EXPECT_NE(VariantDigestOf("", 0), VariantDigestOf("abc", 3));
}

#include "TestSupport.h"
#include "container/md5.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <utility>

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

// Known answers from tests/container/variant_digest_vectors.py, an MD5 of its own with the
// variant's initial words: a wrong word, a wrong byte order or a wrong reversal all show here.
TEST(VariantDigest, KnownAnswers) {
    std::string bytes64, bytes1000;
    for (int i = 0; i < 64; ++i) bytes64 += static_cast<char>(i);
    for (int i = 0; i < 1000; ++i) bytes1000 += static_cast<char>((i * 7 + 3) & 0xFF);
    const std::pair<std::string, const char*> vectors[] = {
        {"", "0ebc3cfd838e983043668a20e0e40d4d"},
        {"a", "bf16c1fbba56d7d71e10fb3dcb1a179f"},
        {"abc", "a7356ccc3c6253aab9bc1bf190e5f297"},
        {std::string(55, 'k'), "9509300bfedfeedf14e05b145de38c3d"},  // padding fits the last block
        {std::string(56, 'k'), "f167c2644a9294dbe2941f457dba7fab"},  // padding needs one more block
        {bytes64, "05cd767abc62851589b9ff78032c8c0b"},
        {bytes1000, "ecbd6147af75ce226d569d650b6449d6"},
    };
    for (const auto& [input, expected] : vectors) {
        EXPECT_EQ(VariantDigestOf(input.data(), input.size()), expected) << input.size() << " bytes";
        // The incremental form, fed in uneven pieces, gives the same text.
        TMD5Context c;
        VariantDigestInit(c);
        for (size_t at = 0; at < input.size(); at += 37)
            DigestUpdate(c, input.data() + at, static_cast<uint32_t>(std::min<size_t>(37, input.size() - at)));
        TMD5Digest d;
        DigestFinal(c, d);
        EXPECT_EQ(VariantDigestToText(d), expected) << input.size() << " bytes in pieces";
    }
}

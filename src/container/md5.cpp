#include "md5.h"
#include <algorithm>
#include <cstring>

namespace {

inline uint32_t Rol(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
inline uint32_t Load32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define MD5_STEP(f, a, b, c, d, x, t, s) (a) += f((b), (c), (d)) + (x) + (t); (a) = Rol((a), (s)) + (b)

void Transform(uint32_t state[4], const uint8_t block[64]) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = Load32(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    MD5_STEP(MD5_F, a, b, c, d, x[0], 0xd76aa478, 7);   MD5_STEP(MD5_F, d, a, b, c, x[1], 0xe8c7b756, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[2], 0x242070db, 17);  MD5_STEP(MD5_F, b, c, d, a, x[3], 0xc1bdceee, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[4], 0xf57c0faf, 7);   MD5_STEP(MD5_F, d, a, b, c, x[5], 0x4787c62a, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[6], 0xa8304613, 17);  MD5_STEP(MD5_F, b, c, d, a, x[7], 0xfd469501, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[8], 0x698098d8, 7);   MD5_STEP(MD5_F, d, a, b, c, x[9], 0x8b44f7af, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[10], 0xffff5bb1, 17); MD5_STEP(MD5_F, b, c, d, a, x[11], 0x895cd7be, 22);
    MD5_STEP(MD5_F, a, b, c, d, x[12], 0x6b901122, 7);  MD5_STEP(MD5_F, d, a, b, c, x[13], 0xfd987193, 12);
    MD5_STEP(MD5_F, c, d, a, b, x[14], 0xa679438e, 17); MD5_STEP(MD5_F, b, c, d, a, x[15], 0x49b40821, 22);

    MD5_STEP(MD5_G, a, b, c, d, x[1], 0xf61e2562, 5);   MD5_STEP(MD5_G, d, a, b, c, x[6], 0xc040b340, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[11], 0x265e5a51, 14); MD5_STEP(MD5_G, b, c, d, a, x[0], 0xe9b6c7aa, 20);
    MD5_STEP(MD5_G, a, b, c, d, x[5], 0xd62f105d, 5);   MD5_STEP(MD5_G, d, a, b, c, x[10], 0x02441453, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[15], 0xd8a1e681, 14); MD5_STEP(MD5_G, b, c, d, a, x[4], 0xe7d3fbc8, 20);
    MD5_STEP(MD5_G, a, b, c, d, x[9], 0x21e1cde6, 5);   MD5_STEP(MD5_G, d, a, b, c, x[14], 0xc33707d6, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[3], 0xf4d50d87, 14);  MD5_STEP(MD5_G, b, c, d, a, x[8], 0x455a14ed, 20);
    MD5_STEP(MD5_G, a, b, c, d, x[13], 0xa9e3e905, 5);  MD5_STEP(MD5_G, d, a, b, c, x[2], 0xfcefa3f8, 9);
    MD5_STEP(MD5_G, c, d, a, b, x[7], 0x676f02d9, 14);  MD5_STEP(MD5_G, b, c, d, a, x[12], 0x8d2a4c8a, 20);

    MD5_STEP(MD5_H, a, b, c, d, x[5], 0xfffa3942, 4);   MD5_STEP(MD5_H, d, a, b, c, x[8], 0x8771f681, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[11], 0x6d9d6122, 16); MD5_STEP(MD5_H, b, c, d, a, x[14], 0xfde5380c, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[1], 0xa4beea44, 4);   MD5_STEP(MD5_H, d, a, b, c, x[4], 0x4bdecfa9, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[7], 0xf6bb4b60, 16);  MD5_STEP(MD5_H, b, c, d, a, x[10], 0xbebfbc70, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[13], 0x289b7ec6, 4);  MD5_STEP(MD5_H, d, a, b, c, x[0], 0xeaa127fa, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[3], 0xd4ef3085, 16);  MD5_STEP(MD5_H, b, c, d, a, x[6], 0x04881d05, 23);
    MD5_STEP(MD5_H, a, b, c, d, x[9], 0xd9d4d039, 4);   MD5_STEP(MD5_H, d, a, b, c, x[12], 0xe6db99e5, 11);
    MD5_STEP(MD5_H, c, d, a, b, x[15], 0x1fa27cf8, 16); MD5_STEP(MD5_H, b, c, d, a, x[2], 0xc4ac5665, 23);

    MD5_STEP(MD5_I, a, b, c, d, x[0], 0xf4292244, 6);   MD5_STEP(MD5_I, d, a, b, c, x[7], 0x432aff97, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[14], 0xab9423a7, 15); MD5_STEP(MD5_I, b, c, d, a, x[5], 0xfc93a039, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[12], 0x655b59c3, 6);  MD5_STEP(MD5_I, d, a, b, c, x[3], 0x8f0ccc92, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[10], 0xffeff47d, 15); MD5_STEP(MD5_I, b, c, d, a, x[1], 0x85845dd1, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[8], 0x6fa87e4f, 6);   MD5_STEP(MD5_I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[6], 0xa3014314, 15);  MD5_STEP(MD5_I, b, c, d, a, x[13], 0x4e0811a1, 21);
    MD5_STEP(MD5_I, a, b, c, d, x[4], 0xf7537e82, 6);   MD5_STEP(MD5_I, d, a, b, c, x[11], 0xbd3af235, 10);
    MD5_STEP(MD5_I, c, d, a, b, x[2], 0x2ad7d2bb, 15);  MD5_STEP(MD5_I, b, c, d, a, x[9], 0xeb86d391, 21);

    state[0] += a; state[1] += b; state[2] += c; state[3] += d;
}

}  // namespace

void DigestInit(TMD5Context& context) {
    context.State[0] = 0x67452301;
    context.State[1] = 0xefcdab89;
    context.State[2] = 0x98badcfe;
    context.State[3] = 0x10325476;
    context.Count[0] = context.Count[1] = 0;
    std::memset(context.Buffer, 0, sizeof context.Buffer);
}

void VariantDigestInit(TMD5Context& context) {
    DigestInit(context);
    context.State[0] = 0x5A3C9E12;
    context.State[1] = 0x7B1D4F60;
    context.State[2] = 0x2E8A6C93;
    context.State[3] = 0x41F0B7D5;
}

void DigestUpdate(TMD5Context& context, const void* data, uint32_t count) {
    auto* input = static_cast<const uint8_t*>(data);
    uint32_t index = (context.Count[0] >> 3) & 0x3F;
    uint32_t bitsLow = count << 3;
    if ((context.Count[0] += bitsLow) < bitsLow) ++context.Count[1];
    context.Count[1] += count >> 29;

    uint32_t partLen = 64 - index, i = 0;
    if (count >= partLen) {
        std::memcpy(context.Buffer + index, input, partLen);
        Transform(context.State, context.Buffer);
        for (i = partLen; i + 63 < count; i += 64) Transform(context.State, input + i);
        index = 0;
    }
    std::memcpy(context.Buffer + index, input + i, count - i);
}

void DigestFinal(TMD5Context& context, TMD5Digest& digest) {
    uint8_t bits[8];
    for (int i = 0; i < 4; ++i) {
        bits[i] = static_cast<uint8_t>(context.Count[0] >> (8 * i));
        bits[i + 4] = static_cast<uint8_t>(context.Count[1] >> (8 * i));
    }
    static const uint8_t padding[64] = {0x80};
    uint32_t index = (context.Count[0] >> 3) & 0x3F;
    uint32_t padLen = index < 56 ? 56 - index : 120 - index;
    DigestUpdate(context, padding, padLen);
    DigestUpdate(context, bits, 8);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) digest.Bytes[4 * i + j] = static_cast<uint8_t>(context.State[i] >> (8 * j));
    std::memset(&context, 0, sizeof context);
}

std::string DigestToHex(const TMD5Digest& digest) {
    static const char hex[] = "0123456789abcdef";
    std::string s(32, '0');
    for (int i = 0; i < 16; ++i) {
        s[2 * i] = hex[digest.Bytes[i] >> 4];
        s[2 * i + 1] = hex[digest.Bytes[i] & 15];
    }
    return s;
}

std::string VariantDigestToText(const TMD5Digest& digest) {
    std::string s = DigestToHex(digest);
    std::reverse(s.begin(), s.end());
    return s;
}

void DigestUpdateLarge(TMD5Context& context, const void* data, size_t size) {
    auto* p = static_cast<const uint8_t*>(data);
    while (size) {
        uint32_t n = static_cast<uint32_t>(std::min<size_t>(size, 1u << 30));
        DigestUpdate(context, p, n);
        p += n;
        size -= n;
    }
}

std::string VariantDigestOf(const void* data, size_t size) {
    TMD5Context context;
    VariantDigestInit(context);
    DigestUpdateLarge(context, data, size);
    TMD5Digest digest;
    DigestFinal(context, digest);
    return VariantDigestToText(digest);
}

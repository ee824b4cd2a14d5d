// MD5 (RFC 1321) as an incremental context, and the variant digest that checks payloads:
// the same algorithm from other initial chaining words, printed reversed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct TMD5Context {
    uint32_t State[4];   // A, B, C, D
    uint32_t Count[2];   // message length in bits, low word first
    uint8_t Buffer[64];
};

struct TMD5Digest {
    uint8_t Bytes[16];
};

void DigestInit(TMD5Context& context);
void DigestUpdate(TMD5Context& context, const void* data, uint32_t count);
void DigestFinal(TMD5Context& context, TMD5Digest& digest);
std::string DigestToHex(const TMD5Digest& digest);

void VariantDigestInit(TMD5Context& context);
std::string VariantDigestToText(const TMD5Digest& digest);

// Convenience: the variant text of a whole buffer of any length.
std::string VariantDigestOf(const void* data, size_t size);
// Feeds a buffer larger than the 32-bit count of one update.
void DigestUpdateLarge(TMD5Context& context, const void* data, size_t size);

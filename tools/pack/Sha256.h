// SHA-256 (FIPS 180-4), for the fingerprints the verbs print.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class TSha256 {
public:
    TSha256();
    void Update(const void* data, size_t size);
    std::string HexDigest();  // finishes; the object is spent afterwards
private:
    void Block(const uint8_t* p);
    uint32_t FState[8];
    uint64_t FLength = 0;
    uint8_t FBuffer[64];
    size_t FFill = 0;
};

std::string Sha256Hex(const void* data, size_t size);

// Builds small synthetic PE32 images for tests that need exact layouts or damage.
#pragma once
#include "TestSupport.h"
#include <cstring>
#include <string>
#include <vector>

namespace testing_support {

struct TestSection {
    std::string Name;
    uint32_t VirtualSize, VirtualAddress, RawSize, RawPointer;
    uint8_t Fill;  // raw bytes are this value
};

inline void Put16(Bytes& b, size_t at, uint16_t v) { b[at] = uint8_t(v); b[at + 1] = uint8_t(v >> 8); }
inline void Put32(Bytes& b, size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i)); }
inline uint32_t Get32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

const uint32_t TestLfanew = 0x80;

// Headers at 0, e_lfanew 0x80, the section table right behind the 248-byte NT headers, raw data
// where each section says. The file is as long as the furthest raw data.
inline Bytes BuildPE(const std::vector<TestSection>& sections) {
    size_t end = TestLfanew + 248 + 40 * sections.size();
    for (auto& s : sections) if (s.RawSize) end = std::max<size_t>(end, s.RawPointer + s.RawSize);
    Bytes b(end, 0);
    b[0] = 'M'; b[1] = 'Z';
    Put32(b, 60, TestLfanew);
    std::memcpy(&b[TestLfanew], "PE\0\0", 4);
    Put16(b, TestLfanew + 4, 0x14C);                       // i386
    Put16(b, TestLfanew + 6, uint16_t(sections.size()));
    Put16(b, TestLfanew + 20, 224);
    Put16(b, TestLfanew + 22, 0x0102);
    Put16(b, TestLfanew + 24, 0x10B);
    Put32(b, TestLfanew + 56, 0x1000);                     // SectionAlignment
    Put32(b, TestLfanew + 60, 0x200);                      // FileAlignment
    Put32(b, TestLfanew + 84, 0x400);                      // SizeOfHeaders
    Put32(b, TestLfanew + 116, 16);                        // NumberOfRvaAndSizes
    size_t p = TestLfanew + 248;
    for (auto& s : sections) {
        std::memcpy(&b[p], s.Name.data(), std::min<size_t>(8, s.Name.size()));
        Put32(b, p + 8, s.VirtualSize);
        Put32(b, p + 12, s.VirtualAddress);
        Put32(b, p + 16, s.RawSize);
        Put32(b, p + 20, s.RawPointer);
        if (s.RawSize) std::memset(&b[s.RawPointer], s.Fill, s.RawSize);
        p += 40;
    }
    return b;
}

// .text and .data with raw data, .bss without, in that table order.
inline Bytes BuildTypicalPE() {
    return BuildPE({{".text", 0x300, 0x1000, 0x400, 0x400, 0xCC},
                    {".data", 0x80, 0x2000, 0x200, 0x800, 0xDD},
                    {".bss", 0x1000, 0x3000, 0, 0, 0}});
}

}  // namespace testing_support

// Two bitmap files off the common path, for the tests that every reader answers alike: a
// run-length picture (refused everywhere) and a 16-bit picture with 4-4-4 bit fields (drawn
// everywhere, through decoding).
#pragma once
#include "base/Endian.h"
#include <cstdint>
#include <vector>

namespace oddbitmaps {

inline std::vector<uint8_t> Header(uint32_t width, uint32_t height, uint16_t bits, uint32_t compression,
                                   uint32_t extra, uint32_t pixelBytes, uint32_t colors) {
    const uint32_t offBits = 14 + 40 + extra;
    std::vector<uint8_t> f(offBits + pixelBytes, 0);
    f[0] = 'B'; f[1] = 'M';
    SetLE32(&f[2], static_cast<uint32_t>(f.size()));
    SetLE32(&f[10], offBits);
    SetLE32(&f[14], 40);
    SetLE32(&f[18], width);
    SetLE32(&f[22], height);
    SetLE16(&f[26], 1);
    SetLE16(&f[28], bits);
    SetLE32(&f[30], compression);
    SetLE32(&f[34], pixelBytes);
    SetLE32(&f[46], colors);
    return f;
}

// 4 x 2, 8 bits, run-length: the bottom row four of colour 1, the top row two of 0, two of 1.
inline std::vector<uint8_t> RunLength8() {
    const uint8_t rle[] = {4, 1, 0, 0, 2, 0, 2, 1, 0, 0, 0, 1};
    std::vector<uint8_t> f = Header(4, 2, 8, 1, 8, sizeof rle, 2);
    f[54 + 4 + 2] = 0xFF;  // colour 1 red
    std::copy(rle, rle + sizeof rle, f.begin() + 62);
    return f;
}

// 2 x 2, 16 bits with masks 0F00 / 00F0 / 000F: top row red, green; bottom row blue, grey.
inline std::vector<uint8_t> BitFields444() {
    std::vector<uint8_t> f = Header(2, 2, 16, 3, 12, 8, 0);
    SetLE32(&f[54], 0x0F00);
    SetLE32(&f[58], 0x00F0);
    SetLE32(&f[62], 0x000F);
    const uint16_t rows[4] = {0x000F, 0x0888, 0x0F00, 0x00F0};  // bottom row first
    for (int i = 0; i < 4; ++i) SetLE16(&f[66 + 2 * i], rows[i]);
    return f;
}
// Its pixels as 0x00BBGGRR, top row first.
inline constexpr uint32_t BitFields444Pixels[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0x888888};

}  // namespace oddbitmaps

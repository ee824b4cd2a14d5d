#include "uBitmapFile.h"
#include "base/Endian.h"
#include <cstring>
#include <string>

namespace {

[[noreturn]] void Fail(const std::string& what) { throw EBitmapFormatError("Bad bitmap: " + what); }

uint64_t RowBytes(uint64_t width, unsigned bitCount) { return (width * bitCount + 31) / 32 * 4; }

}  // namespace

bool TBitmapFileInfo::HasMasks(uint32_t red, uint32_t green, uint32_t blue) const {
    return Masks[0] == red && Masks[1] == green && Masks[2] == blue;
}

int TBitmapFileInfo::PixelFormat() const {
    using namespace PixelFormatId;
    switch (BitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return HasMasks(0xF800, 0x07E0, 0x001F) ? pf16bit : HasMasks(0x7C00, 0x03E0, 0x001F) ? pf15bit : pf24bit;
    case 24: return pf24bit;
    case 32: return HasMasks(0xFF0000, 0xFF00, 0xFF) ? pf32bit : pf24bit;
    default: return pfCustom;
    }
}

bool TBitmapFileInfo::StoredAsDrawn() const {
    return BitCount == 24 || BitCount <= 8 || (BitCount == 16 && PixelFormat() != PixelFormatId::pf24bit) ||
           (BitCount == 32 && PixelFormat() == PixelFormatId::pf32bit);
}

TBitmapFileInfo CheckBitmapFile(const uint8_t* data, size_t size) {
    TBitmapFileInfo info;
    if (size < BitmapFileHeaderSize + 12) Fail("shorter than its headers");
    if (data[0] != 'B' || data[1] != 'M') Fail("no \"BM\" signature");
    info.FileSize = GetLE32(data + 2);
    if (info.FileSize < BitmapFileHeaderSize + 12) Fail("file size smaller than its headers");
    if (info.FileSize > size) Fail("file size runs past the data");
    const uint32_t offBits = GetLE32(data + 10);
    const uint8_t* h = data + BitmapFileHeaderSize;
    info.InfoHeaderSize = GetLE32(h);
    uint32_t avail = info.FileSize - BitmapFileHeaderSize;
    if (info.InfoHeaderSize == 12) {
        info.Width = GetLE16(h + 4);
        info.Height = GetLE16(h + 6);
        if (GetLE16(h + 8) != 1) Fail("plane count is not 1");
        info.BitCount = GetLE16(h + 10);
        info.ColorEntrySize = 3;
        if (info.BitCount <= 8) info.ColorCount = 1u << info.BitCount;
    } else if (info.InfoHeaderSize >= 40 && info.InfoHeaderSize <= 124) {
        if (avail < info.InfoHeaderSize) Fail("information header runs past the file");
        info.Width = static_cast<int32_t>(GetLE32(h + 4));
        int32_t height = static_cast<int32_t>(GetLE32(h + 8));
        if (height == INT32_MIN) Fail("bad height");
        info.TopDown = height < 0;
        info.Height = height < 0 ? -height : height;
        if (GetLE16(h + 12) != 1) Fail("plane count is not 1");
        info.BitCount = GetLE16(h + 14);
        info.Compression = GetLE32(h + 16);
        info.BitsSize = GetLE32(h + 20);
        uint32_t used = GetLE32(h + 32);
        info.ColorEntrySize = 4;
        if (info.BitCount <= 8) {
            uint32_t full = 1u << info.BitCount;
            info.ColorCount = used == 0 || used > full ? full : used;
        } else {
            info.ColorCount = used;
        }
    } else {
        Fail("unknown information header size " + std::to_string(info.InfoHeaderSize));
    }
    if (info.Width <= 0 || info.Height <= 0 || info.Width > MaxBitmapSide || info.Height > MaxBitmapSide)
        Fail("bad dimensions");
    switch (info.BitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: Fail("bad bit count " + std::to_string(info.BitCount));
    }
    // Run-length pictures are refused here, so that every reader draws what this check accepts.
    if (info.Compression == 1 || info.Compression == 2) Fail("run-length compression is not supported");
    if (info.Compression > 3 || (info.Compression == 3 && info.BitCount != 16 && info.BitCount != 32) ||
        // The three bit-field masks either follow a 40-byte header or lie inside a longer one.
        (info.Compression == 3 && info.InfoHeaderSize != 40 && info.InfoHeaderSize < 52))
        Fail("bad compression");
    if (uint64_t(info.Width) * uint64_t(info.Height) > MaxBitmapPixels) Fail("too many pixels");
    // Bit-field masks follow a 40-byte header; later headers hold them inside.
    uint64_t masks = info.Compression == 3 && info.InfoHeaderSize == 40 ? 12 : 0;
    uint64_t tableOffset = BitmapFileHeaderSize + uint64_t(info.InfoHeaderSize) + masks;
    uint64_t tableEnd = tableOffset + uint64_t(info.ColorCount) * info.ColorEntrySize;
    if (tableEnd > info.FileSize) Fail("colour table runs past the file");
    info.ColorTableOffset = static_cast<uint32_t>(tableOffset);
    uint64_t bits = offBits != 0 ? offBits : tableEnd;
    if (bits < tableEnd) Fail("pixels overlap the headers");
    if (info.BitCount == 16) { info.Masks[0] = 0x7C00; info.Masks[1] = 0x03E0; info.Masks[2] = 0x001F; }
    if (info.BitCount == 32) { info.Masks[0] = 0xFF0000; info.Masks[1] = 0xFF00; info.Masks[2] = 0xFF; }
    if (info.Compression == 3)
        for (int i = 0; i < 3; ++i) info.Masks[i] = GetLE32(data + BitmapFileHeaderSize + 40 + 4 * i);
    info.BitsSize = static_cast<uint32_t>(RowBytes(static_cast<uint64_t>(info.Width), info.BitCount) *
                                          static_cast<uint64_t>(info.Height));
    if (bits + info.BitsSize > info.FileSize) Fail("pixels run past the file");
    info.BitsOffset = static_cast<uint32_t>(bits);
    return info;
}

TPixelBuffer DecodeBitmapFile(const uint8_t* data, size_t size) {
    const TBitmapFileInfo info = CheckBitmapFile(data, size);
    const uint8_t* table = data + info.ColorTableOffset;
    auto paletteColor = [&](uint32_t index) -> TRGB {
        if (index >= info.ColorCount) return rgbBlack;
        const uint8_t* e = table + index * info.ColorEntrySize;
        return TRGB(e[2]) | TRGB(e[1]) << 8 | TRGB(e[0]) << 16;
    };
    const uint32_t* mask = info.Masks;
    auto channel = [](uint32_t v, uint32_t m) -> uint32_t {
        if (m == 0) return 0;
        while (!(m & 1)) { m >>= 1; v >>= 1; }
        return static_cast<uint32_t>((uint64_t(v & m) * 255 + m / 2) / m);
    };
    TPixelBuffer out(info.Width, info.Height);
    const uint64_t stride = RowBytes(static_cast<uint64_t>(info.Width), info.BitCount);
    for (int row = 0; row < info.Height; ++row) {
        const uint8_t* p = data + info.BitsOffset + stride * static_cast<uint64_t>(row);
        int y = info.TopDown ? row : info.Height - 1 - row;
        for (int x = 0; x < info.Width; ++x) {
            TRGB c;
            switch (info.BitCount) {
            case 1: c = paletteColor((p[x >> 3] >> (7 - (x & 7))) & 1); break;
            case 4: c = paletteColor((p[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF); break;
            case 8: c = paletteColor(p[x]); break;
            case 24: c = TRGB(p[3 * x + 2]) | TRGB(p[3 * x + 1]) << 8 | TRGB(p[3 * x]) << 16; break;
            default: {
                uint32_t v = info.BitCount == 16 ? GetLE16(p + 2 * x) : GetLE32(p + 4 * x);
                c = channel(v, mask[0]) | channel(v, mask[1]) << 8 | channel(v, mask[2]) << 16;
            }
            }
            out.SetPixel(x, y, c);
        }
    }
    return out;
}

namespace {

TBuffer NewBitmapFile(const TPixelBuffer& pixels, unsigned bitCount, uint32_t colorCount) {
    if (pixels.Empty()) throw EInvalidBitmap(SInvalidBitmapFormat);
    const uint32_t stride = static_cast<uint32_t>(RowBytes(static_cast<uint64_t>(pixels.Width()), bitCount));
    const uint32_t bitsOffset = BitmapFileHeaderSize + 40 + 4 * colorCount;
    const uint32_t bitsSize = stride * static_cast<uint32_t>(pixels.Height());
    TBuffer file(bitsOffset + bitsSize);
    uint8_t* d = file.Data();
    std::memset(d, 0, file.Size());
    d[0] = 'B';
    d[1] = 'M';
    SetLE32(d + 2, static_cast<uint32_t>(file.Size()));
    SetLE32(d + 10, bitsOffset);
    uint8_t* h = d + BitmapFileHeaderSize;
    SetLE32(h, 40);
    SetLE32(h + 4, static_cast<uint32_t>(pixels.Width()));
    SetLE32(h + 8, static_cast<uint32_t>(pixels.Height()));
    SetLE16(h + 12, 1);
    SetLE16(h + 14, static_cast<uint16_t>(bitCount));
    SetLE32(h + 20, bitsSize);
    SetLE32(h + 24, 3780);  // 96 dots per inch
    SetLE32(h + 28, 3780);
    SetLE32(h + 32, colorCount);
    return file;
}

}  // namespace

TBuffer EncodeBitmapFile24(const TPixelBuffer& pixels) {
    TBuffer file = NewBitmapFile(pixels, 24, 0);
    const uint32_t stride = static_cast<uint32_t>(RowBytes(static_cast<uint64_t>(pixels.Width()), 24));
    uint8_t* bits = file.Data() + BitmapFileHeaderSize + 40;
    for (int y = 0; y < pixels.Height(); ++y) {
        uint8_t* p = bits + stride * static_cast<uint32_t>(pixels.Height() - 1 - y);
        for (int x = 0; x < pixels.Width(); ++x) {
            TRGB c = pixels.Pixel(x, y);
            p[3 * x] = uint8_t(c >> 16);
            p[3 * x + 1] = uint8_t(c >> 8);
            p[3 * x + 2] = uint8_t(c);
        }
    }
    return file;
}

TBuffer EncodeBitmapFile1(const TPixelBuffer& pixels) {
    TBuffer file = NewBitmapFile(pixels, 1, 2);
    uint8_t* table = file.Data() + BitmapFileHeaderSize + 40;
    std::memset(table + 4, 0xFF, 3);  // entry 1 white, entry 0 stays black
    const uint32_t stride = static_cast<uint32_t>(RowBytes(static_cast<uint64_t>(pixels.Width()), 1));
    uint8_t* bits = table + 8;
    for (int y = 0; y < pixels.Height(); ++y) {
        uint8_t* p = bits + stride * static_cast<uint32_t>(pixels.Height() - 1 - y);
        for (int x = 0; x < pixels.Width(); ++x)
            if (pixels.Pixel(x, y) == rgbWhite) p[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
    return file;
}

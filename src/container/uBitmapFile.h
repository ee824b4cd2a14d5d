// Windows bitmap files (the "BM" file header, an information header, a colour table, the pixels):
// checking one in memory, reading its pixels and writing 24-bit and monochrome ones.
#pragma once
#include "base/Buffer.h"
#include "base/SysUtils.h"
#include "base/PixelBuffer.h"
#include <cstdint>

// A bitmap file that does not hold together; the message says what is wrong.
KESTRIN_EXCEPTION(EBitmapFormatError, EReadError);

const uint32_t BitmapFileHeaderSize = 14;

// What a checked bitmap file holds; every offset is from the first byte of the file and every
// range lies inside FileSize.
struct TBitmapFileInfo {
    uint32_t FileSize = 0;       // the whole file, from its header
    uint32_t InfoHeaderSize = 0; // 12 (core) or 40 and more
    int32_t Width = 0;
    int32_t Height = 0;          // always positive; see TopDown
    bool TopDown = false;
    uint16_t BitCount = 0;
    uint32_t Compression = 0;    // 0 plain, 3 bit fields (run-length pictures are refused)
    uint32_t Masks[3] = {};      // red, green, blue channel masks of 16- and 32-bit pixels
    uint32_t ColorCount = 0;     // entries of the colour table
    uint32_t ColorTableOffset = 0;
    uint32_t ColorEntrySize = 0; // 3 (core) or 4
    uint32_t BitsOffset = 0;
    uint32_t BitsSize = 0;
    // The pixel-format number (pf1bit...) the bitmap class gives a picture of this kind: the
    // stored one, or pf24bit for bit fields it has no format of its own for.
    int PixelFormat() const;
    // The stored pixel rows are those of PixelFormat(): they can be copied as they are.
    bool StoredAsDrawn() const;
    bool HasMasks(uint32_t red, uint32_t green, uint32_t blue) const;
    // The packed DIB (information header, colour table, pixels) is the file after its header.
    uint32_t PackedDIBOffset() const { return BitmapFileHeaderSize; }
    uint32_t PackedDIBSize() const { return FileSize - BitmapFileHeaderSize; }
};

// Checks the bitmap file that starts at data and must end within size bytes. What it accepts,
// DecodeBitmapFile and the bitmap class can draw: 1, 4, 8, 16, 24 and 32 bits per pixel,
// uncompressed or with bit fields, up to MaxBitmapPixels. Raises EBitmapFormatError naming the
// fault; never reads outside [data, data + size).
TBitmapFileInfo CheckBitmapFile(const uint8_t* data, size_t size);

// The pixels of a bitmap file; raises EBitmapFormatError for what CheckBitmapFile refuses.
TPixelBuffer DecodeBitmapFile(const uint8_t* data, size_t size);

// A 24-bit file of the picture, bottom-up, as the bitmap class saves one.
TBuffer EncodeBitmapFile24(const TPixelBuffer& pixels);
// A monochrome file (colour table black, white): pixels that are white become 1, all others 0.
TBuffer EncodeBitmapFile1(const TPixelBuffer& pixels);

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
    uint32_t Compression = 0;    // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
    uint32_t ColorCount = 0;     // entries of the colour table
    uint32_t ColorTableOffset = 0;
    uint32_t ColorEntrySize = 0; // 3 (core) or 4
    uint32_t BitsOffset = 0;
    uint32_t BitsSize = 0;
    // The pixel-format number (pf1bit...) the bitmap class gives a picture of this kind.
    int PixelFormat() const;
    // The packed DIB (information header, colour table, pixels) is the file after its header.
    uint32_t PackedDIBOffset() const { return BitmapFileHeaderSize; }
    uint32_t PackedDIBSize() const { return FileSize - BitmapFileHeaderSize; }
};

// Checks the bitmap file that starts at data and must end within size bytes. Raises
// EBitmapFormatError naming the fault; never reads outside [data, data + size).
TBitmapFileInfo CheckBitmapFile(const uint8_t* data, size_t size);

// The pixels of a checked bitmap file (1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or
// with bit fields). Raises EBitmapFormatError for what it cannot read (run-length compression).
TPixelBuffer DecodeBitmapFile(const uint8_t* data, size_t size);

// A 24-bit file of the picture, bottom-up, as the bitmap class saves one.
TBuffer EncodeBitmapFile24(const TPixelBuffer& pixels);
// A monochrome file (colour table black, white): pixels that are white become 1, all others 0.
TBuffer EncodeBitmapFile1(const TPixelBuffer& pixels);

// Icon files: a 6-byte header (reserved 0, type 1, image count), a directory of 16-byte entries,
// then the images, each a packed DIB (information header, colours, XOR and AND masks) or a PNG.
#pragma once
#include "base/Classes.h"
#include "base/SysUtils.h"
#include <cstdint>
#include <string>
#include <vector>

// An icon file that does not hold together; the message says what is wrong.
KESTRIN_EXCEPTION(EIconFormatError, EReadError);

const uint32_t IconHeaderSize = 6;
const uint32_t IconEntrySize = 16;

struct TIconImageInfo {
    uint8_t Entry[12];  // width, height, colours, reserved, planes, bit count, bytes in resource
    int Width = 0;      // 0 in the entry stands for 256
    int Height = 0;
    uint32_t Size = 0;
    uint32_t Offset = 0;  // from the first byte of the file
};

struct TIconFileInfo {
    std::vector<TIconImageInfo> Images;  // in directory order, never empty
    uint32_t End = 0;                    // one past the last byte of the furthest image
};

// Checks the icon file that starts at data and must end within size bytes: at least one image,
// every image inside the file, behind the directory and starting like a DIB or a PNG. Raises
// EIconFormatError naming the fault; never reads outside [data, data + size).
TIconFileInfo CheckIconFile(const uint8_t* data, size_t size);

// Reads one icon file from the stream's position: the directory, then as many bytes as its
// furthest image needs. The result is checked; the stream stands behind what was read.
std::string ReadIconFile(TStream& stream);

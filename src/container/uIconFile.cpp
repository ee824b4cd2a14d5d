#include "uIconFile.h"
#include "base/Endian.h"
#include <algorithm>
#include <cstring>

namespace {

[[noreturn]] void Fail(const std::string& what) { throw EIconFormatError("Bad icon: " + what); }

// The largest icon file taken: far above any real icon, and a bound on what a damaged
// directory can make a reader allocate.
const uint64_t MaxIconFileSize = 16u << 20;

uint32_t DirectoryEnd(uint32_t count) { return IconHeaderSize + IconEntrySize * count; }

void CheckHeader(const uint8_t* data, size_t size) {
    if (size < IconHeaderSize) Fail("shorter than its header");
    if (GetLE16(data) != 0 || GetLE16(data + 2) != 1) Fail("not an icon file");
    if (GetLE16(data + 4) == 0) Fail("no images");
}

}  // namespace

TIconFileInfo CheckIconFile(const uint8_t* data, size_t size) {
    CheckHeader(data, size);
    const uint32_t count = GetLE16(data + 4);
    if (DirectoryEnd(count) > size) Fail("directory runs past the file");
    TIconFileInfo info;
    info.End = DirectoryEnd(count);
    info.Images.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = data + IconHeaderSize + IconEntrySize * i;
        TIconImageInfo& img = info.Images[i];
        std::memcpy(img.Entry, e, 12);
        img.Width = e[0] ? e[0] : 256;
        img.Height = e[1] ? e[1] : 256;
        img.Size = GetLE32(e + 8);
        img.Offset = GetLE32(e + 12);
        const std::string which = "image " + std::to_string(i + 1);
        if (img.Size < 8) Fail(which + " is empty");
        if (img.Offset < DirectoryEnd(count)) Fail(which + " overlaps the directory");
        if (uint64_t(img.Offset) + img.Size > size) Fail(which + " runs past the file");
        const uint8_t* p = data + img.Offset;
        const bool png = std::memcmp(p, "\x89PNG\r\n\x1A\n", 8) == 0;
        const bool dib = GetLE32(p) >= 40 && GetLE32(p) <= img.Size;
        if (!png && !dib) Fail(which + " is neither a bitmap nor a PNG picture");
        if (img.Offset + img.Size > info.End) info.End = img.Offset + img.Size;
    }
    return info;
}

std::string ReadIconFile(TStream& stream) {
    uint8_t header[IconHeaderSize];
    if (stream.Read(header, IconHeaderSize) != IconHeaderSize) Fail("shorter than its header");
    CheckHeader(header, IconHeaderSize);
    const uint32_t count = GetLE16(header + 4);
    std::string file(reinterpret_cast<const char*>(header), IconHeaderSize);
    if (int64_t(DirectoryEnd(count) - IconHeaderSize) > stream.Remaining()) Fail("directory runs past the file");
    file.resize(DirectoryEnd(count));
    stream.ReadBuffer(&file[IconHeaderSize], file.size() - IconHeaderSize);
    uint64_t end = file.size();
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = reinterpret_cast<const uint8_t*>(file.data()) + IconHeaderSize + IconEntrySize * i;
        end = std::max<uint64_t>(end, uint64_t(GetLE32(e + 12)) + GetLE32(e + 8));
    }
    if (end > MaxIconFileSize) Fail("too large");
    if (int64_t(end - file.size()) > stream.Remaining()) Fail("images run past the file");
    const size_t directory = file.size();
    file.resize(static_cast<size_t>(end));
    if (end > directory) stream.ReadBuffer(&file[directory], file.size() - directory);
    CheckIconFile(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    return file;
}

// The picture store of the named bitmap list and its stored "Bitmaps" property, apart from any
// window or drawing code: two name tables (pictures and masks) of byte offsets into one data
// area that holds complete bitmap files back to back.
//
// Stored form (integers 32-bit little-endian, strings a 32-bit byte count and the bytes):
//   image count, then (name, offset) per picture in ascending name order;
//   mask count, then (name, offset) per mask;
//   "BmpLst", the string "1.0.0.0", a compressed flag byte;
//   the area's stored size N and N bytes: one zlib stream of the area when the flag is set and
//   the area is not empty, else the area as it is.
// Older streams go from the tables straight to N and the raw area.
#pragma once
#include "base/Classes.h"
#include "base/SysUtils.h"
#include "container/uBitmapFile.h"
#include "controls/uGraphUtilsCore.h"
#include "controls/uHash.h"
#include <string>

// A stored list that does not hold together; the message says what is wrong.
KESTRIN_EXCEPTION(EBitmapListError, EReadError);

extern const char BitmapListSignature[6];  // "BmpLst", no terminator
extern const char* const BitmapListVersion; // "1.0.0.0"
// The largest data area read or built: well above any form's pictures, far below what
// would exhaust a 32-bit process.
const uint32_t MaxBitmapListArea = 64u << 20;

enum class TBitmapListLayout {
    blCurrent,  // with signature, version and compressed flag
    blEarly,    // tables, then size and raw area
};

class TBitmapListData {
public:
    TBitmapListData() = default;
    TBitmapListData(const TBitmapListData&) = delete;
    TBitmapListData& operator=(const TBitmapListData&) = delete;

    THash& Images() { return FImages; }
    THash& Masks() { return FMasks; }
    const THash& Images() const { return FImages; }
    const THash& Masks() const { return FMasks; }
    // The data area; its position is of no meaning between calls.
    const TMemoryStream& Area() const { return FArea; }
    int64_t AreaSize() const { return FArea.Size(); }

    bool Compressed() const { return FCompressed; }
    void SetCompressed(bool value) { FCompressed = value; }

    // Replaces both tables and the area with the stored ones, and takes Compressed from the
    // stream when it says. Every count, size and offset is checked first: a fault raises
    // EBitmapListError (or the decompression error of a bad zlib stream) and leaves the list as
    // it was.
    void ReadBitmaps(TStream& stream);
    void WriteBitmaps(TStream& stream, TBitmapListLayout layout = TBitmapListLayout::blCurrent) const;

    // The table arguments below are Images() or Masks() of this list.
    // Stores a bitmap file under the name in the table, replacing any entry
    // of that name: the old file is cut out and the new one appended at the end. Raises
    // EBitmapFormatError for bytes that are not a bitmap file, EBitmapListError past the area's
    // limit. Only the file's own length (from its header) is stored.
    void AddTo(const std::string& name, THash& table, const uint8_t* file, size_t size);
    // Cuts the named file out of the table and the area, moving later offsets down. False when
    // the table does not hold the name.
    bool DeleteFrom(const std::string& name, THash& table);
    // In both tables every offset greater than position is reduced by amount.
    void ShiftOffsets(int64_t position, int64_t amount);
    // Renames picture and mask.
    void Rename(const std::string& oldName, const std::string& newName);
    void Clear();

    bool HasBitmap(const std::string& name) const { return FImages.Find(name, false) >= 0; }
    // The bitmap file stored under the name in the table, inside the area (valid until the
    // list changes), or nullptr when the table does not hold the name.
    const uint8_t* FindFile(const THash& table, const std::string& name, TBitmapFileInfo* info = nullptr) const;
    // A copy of that file; empty when the name is unknown.
    TBuffer GetFile(const THash& table, const std::string& name) const;
    // Its pixels, decoded only now; empty when the name is unknown.
    TPixelBuffer DecodeFile(const THash& table, const std::string& name) const;
    // The area positioned at that file, for a loader that reads from a stream; nullptr when
    // the name is unknown. Valid until the list changes.
    TStream* OpenFile(const THash& table, const std::string& name) const;
    // Stores the picture and, when masked, its mask built with that colour transparent
    // (white where the picture has the colour, black elsewhere) as a monochrome file.
    void AddPicture(const std::string& name, const uint8_t* file, size_t size, bool masked, TRGB transparent);

private:
    THash FImages;
    THash FMasks;
    mutable TMemoryStream FArea;
    bool FCompressed = false;
};

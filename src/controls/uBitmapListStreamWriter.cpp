// The writing half of the bitmap list's stored form, apart so that a program that only reads its
// form (the installer) links no compressor.
#include "uBitmapListStream.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"

namespace {

void WriteTable(const THash& table, TStream& stream) {
    THashEntries entries;
    table.AssignTo(&entries);
    WriteInt32(stream, static_cast<int32_t>(entries.size()));
    for (const THashEntry& e : entries) {
        WriteSizedString(stream, e.Key);
        WriteInt32(stream, static_cast<int32_t>(e.Value));
    }
}

}  // namespace

void TBitmapListData::WriteBitmaps(TStream& stream, TBitmapListLayout layout) const {
    WriteTable(FImages, stream);
    WriteTable(FMasks, stream);
    const uint8_t* data = FArea.Memory();
    const size_t size = static_cast<size_t>(FArea.Size());
    if (layout == TBitmapListLayout::blCurrent) {
        stream.WriteBuffer(BitmapListSignature, sizeof BitmapListSignature);
        WriteSizedString(stream, BitmapListVersion);
        WriteUInt8(stream, FCompressed ? 1 : 0);
        if (FCompressed) {
            WriteCompressedBlock(stream, data, size);
            return;
        }
    }
    WriteInt32(stream, static_cast<int32_t>(size));
    stream.WriteBuffer(data, size);
}

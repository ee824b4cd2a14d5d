#include "uBitmapListStream.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"
#include <algorithm>
#include <cstring>
#include <vector>

const char BitmapListSignature[6] = {'B', 'm', 'p', 'L', 's', 't'};
const char* const BitmapListVersion = "1.0.0.0";

namespace {

[[noreturn]] void Fail(const std::string& what) { throw EBitmapListError("Bitmap list: " + what); }

void ReadTable(THash& table, TStream& stream, const char* what) {
    int32_t count = ReadInt32(stream);
    // Each entry takes at least its name's count and its offset.
    if (count < 0 || static_cast<int64_t>(count) * 8 > stream.Remaining())
        Fail(std::string(what) + " count " + std::to_string(count) + " runs past the data");
    for (int32_t i = 0; i < count; ++i) {
        std::string name = ReadSizedString(stream);
        int32_t offset = ReadInt32(stream);
        table.SetItem(name, offset);
    }
}

// Every entry must be a whole bitmap file inside the area, and no two may share bytes.
void CheckEntries(const THash& images, const THash& masks, const uint8_t* area, size_t size) {
    struct TExtent { uint64_t Begin, End; };
    std::vector<TExtent> extents;
    for (const THash* table : {&images, &masks}) {
        for (int i = 0; i < table->GetCount(); ++i) {
            THashValue offset = table->GetItemByIndex(i);
            const std::string& name = table->KeyAt(i);
            if (offset < 0 || static_cast<uint64_t>(offset) >= size)
                Fail("offset " + std::to_string(offset) + " of \"" + name + "\" lies outside the data area");
            TBitmapFileInfo info;
            try {
                info = CheckBitmapFile(area + offset, size - static_cast<size_t>(offset));
            } catch (const EBitmapFormatError& e) {
                Fail("entry \"" + name + "\": " + e.Message());
            }
            extents.push_back({static_cast<uint64_t>(offset), static_cast<uint64_t>(offset) + info.FileSize});
        }
    }
    std::sort(extents.begin(), extents.end(), [](const TExtent& a, const TExtent& b) { return a.Begin < b.Begin; });
    for (size_t i = 1; i < extents.size(); ++i)
        if (extents[i].Begin < extents[i - 1].End) Fail("entries share bytes of the data area");
}

}  // namespace

void TBitmapListData::ReadBitmaps(TStream& stream) {
    THash images, masks;
    ReadTable(images, stream, "image");
    ReadTable(masks, stream, "mask");

    bool compressed = FCompressed;
    const int64_t sectionStart = stream.Position();
    char signature[sizeof BitmapListSignature];
    bool current = false;
    if (stream.Remaining() >= static_cast<int64_t>(sizeof signature)) {
        stream.ReadBuffer(signature, sizeof signature);
        current = std::memcmp(signature, BitmapListSignature, sizeof signature) == 0;
    }
    bool packed = false;
    if (current) {
        ReadSizedString(stream);  // the format version; every version reads alike
        compressed = ReadUInt8(stream) != 0;
        packed = compressed;
    } else {
        stream.SetPosition(sectionStart);
    }
    uint32_t stored = ReadCheckedCount(stream, "Bitmap list data area");
    TMemoryStream area;
    if (packed && stored > 0) {
        TLimitedStreamSink sink(area, MaxBitmapListArea, [] { Fail("data area too large"); });
        InflateFromStream(stream, stored, sink);
    } else if (stored > 0) {
        if (stored > MaxBitmapListArea) Fail("data area too large");
        area.SetSize(stored);
        stream.ReadBuffer(area.Memory(), stored);
    }
    CheckEntries(images, masks, area.Memory(), static_cast<size_t>(area.Size()));

    // Nothing is taken over before everything checked out.
    FImages = std::move(images);
    FMasks = std::move(masks);
    FArea.Clear();
    FArea.LoadFromStream(area);
    FCompressed = compressed;
}

void TBitmapListData::AddTo(const std::string& name, THash& table, const uint8_t* file, size_t size) {
    const TBitmapFileInfo info = CheckBitmapFile(file, size);
    // A file taken from the area itself would move under our feet.
    TBuffer copy;
    const uint8_t* area = FArea.Memory();
    if (area && file >= area && file < area + FArea.Size()) {
        copy = TBuffer(file, info.FileSize);
        file = copy.Data();
    }
    DeleteFrom(name, table);
    const int64_t end = FArea.Size();
    if (static_cast<uint64_t>(end) + info.FileSize > MaxBitmapListArea) Fail("data area too large");
    FArea.SetPosition(end);
    FArea.WriteBuffer(file, info.FileSize);
    table.SetItem(name, static_cast<THashValue>(end));
}

bool TBitmapListData::DeleteFrom(const std::string& name, THash& table) {
    int index = table.Find(name, false);
    if (index < 0) return false;
    const int64_t p = table.GetItemByIndex(index);
    const int64_t size = FArea.Size();
    // Entries were checked when they came in, so the file there holds together.
    const int64_t e = p + CheckBitmapFile(FArea.Memory() + p, static_cast<size_t>(size - p)).FileSize;
    std::memmove(FArea.Memory() + p, FArea.Memory() + e, static_cast<size_t>(size - e));
    FArea.SetSize(size - (e - p));
    table.Remove(table.KeyAt(index));
    ShiftOffsets(p, e - p);
    return true;
}

void TBitmapListData::ShiftOffsets(int64_t position, int64_t amount) {
    for (THash* table : {&FImages, &FMasks})
        for (int i = 0; i < table->GetCount(); ++i) {
            THashValue v = table->GetItemByIndex(i);
            if (v > position) table->SetItemByIndex(i, static_cast<THashValue>(v - amount));
        }
}

void TBitmapListData::Rename(const std::string& oldName, const std::string& newName) {
    FImages.Rename(oldName, newName);
    FMasks.Rename(oldName, newName);
}

void TBitmapListData::Clear() {
    FImages.Clear();
    FMasks.Clear();
    FArea.Clear();
}

const uint8_t* TBitmapListData::FindFile(const THash& table, const std::string& name, TBitmapFileInfo* info) const {
    int index = table.Find(name, false);
    if (index < 0) return nullptr;
    const int64_t p = table.GetItemByIndex(index);
    const uint8_t* file = FArea.Memory() + p;
    TBitmapFileInfo checked = CheckBitmapFile(file, static_cast<size_t>(FArea.Size() - p));
    if (info) *info = checked;
    return file;
}

TBuffer TBitmapListData::GetFile(const THash& table, const std::string& name) const {
    TBitmapFileInfo info;
    const uint8_t* file = FindFile(table, name, &info);
    return file ? TBuffer(file, info.FileSize) : TBuffer();
}

TPixelBuffer TBitmapListData::DecodeFile(const THash& table, const std::string& name) const {
    TBitmapFileInfo info;
    const uint8_t* file = FindFile(table, name, &info);
    return file ? DecodeBitmapFile(file, info.FileSize) : TPixelBuffer();
}

TStream* TBitmapListData::OpenFile(const THash& table, const std::string& name) const {
    const uint8_t* file = FindFile(table, name);
    if (!file) return nullptr;
    FArea.SetPosition(file - FArea.Memory());
    return &FArea;
}

void TBitmapListData::AddPicture(const std::string& name, const uint8_t* file, size_t size, bool masked,
                                 TRGB transparent) {
    AddTo(name, FImages, file, size);
    if (!masked) return;
    TPixelBuffer mask = MakeMaskPixels(DecodeFile(FImages, name), transparent, false);
    TBuffer maskFile = EncodeBitmapFile1(mask);
    AddTo(name, FMasks, maskFile.Data(), maskFile.Size());
}

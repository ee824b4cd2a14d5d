#include "uExeAdder.h"
#include "container/uPEUtils.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"
#include <cstring>
#include <ctime>

namespace {

// Size of a block with no items: file size, flag, key, count, body length, signature.
const int64_t EmptyBlockSize = 4 + 1 + 4 + 4 + 8 + 4;
// Smallest record: name length, compressed flag, stored length.
const int64_t MinRecordSize = 4 + 1 + 4;

bool SignatureAt(TStream& stream, int64_t position) {
    char buf[4];
    stream.SetPosition(position);
    return stream.Read(buf, 4) == 4 && std::memcmp(buf, DataBlockSignature, 4) == 0;
}

// Finds the block; on success the stream stands at the item count and recordsEnd is the
// offset of the body-length field, where the records stop.
bool LocateBlock(TStream& stream, int32_t& key, int64_t& recordsEnd) {
    key = 0;
    const int64_t fileSize = stream.Size();
    int64_t trailing = 0;
    if (fileSize < EmptyBlockSize || !SignatureAt(stream, fileSize - 4)) {
        // Data may have been appended behind a block that starts at the end of the image.
        TPEImage image;
        image.LoadFromStream(stream);
        int64_t end = image.EndOfImage();
        image.Clear();
        if (end + EmptyBlockSize > fileSize) return false;
        stream.SetPosition(end);
        uint32_t recorded = static_cast<uint32_t>(ReadInt32(stream));
        uint8_t flag = ReadUInt8(stream);
        if (flag == 0) return false;
        if (recorded > fileSize || recorded < end + EmptyBlockSize) return false;
        trailing = fileSize - recorded;
        if (!SignatureAt(stream, fileSize - trailing - 4)) return false;
    }
    const int64_t lengthField = fileSize - 12 - trailing;
    stream.SetPosition(lengthField);
    const int64_t bodyLength = ReadInt64(stream);
    // The body runs from the key to the length field and must hold the key and the count;
    // the block also needs its file size and flag in front of it. The stored length may be
    // anything, so it is bounded before it is subtracted.
    if (bodyLength < 8 || bodyLength > lengthField - 5)
        throw EDataBlockError("Damaged data block: body length " + std::to_string(bodyLength) +
                              " does not fit a file of " + std::to_string(fileSize) + " bytes");
    stream.SetPosition(lengthField - bodyLength);
    key = ReadInt32(stream);
    recordsEnd = lengthField;
    return true;
}

void ClearItem(TItemType& item) {
    item.Name.clear();
    item.Data.Clear();
    item.Compressed = false;
}

}  // namespace

std::string XorItemName(const std::string& text, int32_t key) {
    std::string result(text);
    const char k = static_cast<char>(key & 0xFF);
    for (char& c : result) c ^= k;
    return result;
}

bool FindDataBlock(const std::string& /*fileName*/, TStream& stream, int32_t& key) {
    int64_t recordsEnd;
    return LocateBlock(stream, key, recordsEnd);
}

TDataBlockReader::TDataBlockReader(const std::string& fileName)
    : FFile(std::make_unique<TFileReadStream>(fileName)), FStream(*FFile), FName(fileName) {
    Open();
}

TDataBlockReader::TDataBlockReader(TStream& stream, const std::string& name) : FStream(stream), FName(name) {
    Open();
}

void TDataBlockReader::Open() {
    FFound = LocateBlock(FStream, FKey, FRecordsEnd);
    if (!FFound) return;
    FCount = ReadInt32(FStream);
    if (FCount < 0 || FCount > (FRecordsEnd - FStream.Position()) / MinRecordSize)
        Damaged("item count " + std::to_string(FCount) + " does not fit the block");
}

void TDataBlockReader::Damaged(const std::string& what) const {
    throw EDataBlockError("Damaged data block in \"" + FName + "\": " + what);
}

bool TDataBlockReader::Next(TItemRecord& record) {
    if (!FFound || FIndex >= FCount) return false;
    const std::string index = "item " + std::to_string(FIndex + 1);
    auto left = [&] { return FRecordsEnd - FStream.Position(); };
    if (left() < MinRecordSize) Damaged(index + " runs past the end of the block");
    uint32_t nameLength = static_cast<uint32_t>(ReadInt32(FStream));
    if (nameLength > left() - 5) Damaged(index + ": name length " + std::to_string(nameLength) + " runs past the block");
    std::string name(nameLength, '\0');
    FStream.ReadBuffer(name.data(), nameLength);
    record.Name = XorItemName(name, FKey);
    record.Compressed = ReadUInt8(FStream) != 0;
    int32_t stored = ReadInt32(FStream);
    if (stored < 0) Damaged(index + ": negative value length " + std::to_string(stored));
    if (stored > left()) Damaged(index + ": value length " + std::to_string(stored) + " runs past the block");
    record.StoredLength = static_cast<uint32_t>(stored);
    record.ValuePosition = FStream.Position();
    ++FIndex;
    return true;
}

void TDataBlockReader::ReadValue(const TItemRecord& record, TItemType& item) {
    item.Name = record.Name;
    item.Compressed = record.Compressed;
    item.Data.Clear();
    FStream.SetPosition(record.ValuePosition);
    if (record.StoredLength == 0) return;
    if (record.Compressed) {
        TBuffer packed(record.StoredLength);
        FStream.ReadBuffer(packed.Data(), record.StoredLength);
        DecompressBuffer(packed.Data(), packed.Size(), item.Data);
    } else {
        item.Data.Resize(record.StoredLength);
        FStream.ReadBuffer(item.Data.Data(), record.StoredLength);
    }
}

void TDataBlockReader::SkipValue(const TItemRecord& record) {
    FStream.SetPosition(record.ValuePosition + record.StoredLength);
}

bool ReadItem(const std::string& fileName, const std::string& itemName, TItemType& item) {
    ClearItem(item);
    TFileReadStream file(fileName);
    return ReadItem(file, fileName, itemName, item);
}

bool ReadItem(TStream& stream, const std::string& name, const std::string& itemName, TItemType& item) {
    ClearItem(item);
    TDataBlockReader reader(stream, name);
    TItemRecord record;
    while (reader.Next(record)) {
        if (record.Name == itemName) {
            TItemType found;
            reader.ReadValue(record, found);
            item = std::move(found);
            return true;
        }
        reader.SkipValue(record);
    }
    return false;
}

bool ReadItemText(const std::string& fileName, const std::string& itemName, std::string& text) {
    text.clear();
    TItemType item;
    try {
        if (!ReadItem(fileName, itemName, item)) return false;
    } catch (...) {
        return false;  // a damaged block names nothing
    }
    text.assign(reinterpret_cast<const char*>(item.Data.Data()), item.Data.Size());
    return true;
}

void ReadItems(const std::string& fileName, TItemTypes& items) {
    FreeItems(items);
    TFileReadStream file(fileName);
    ReadItems(file, fileName, items);
}

void ReadItems(TStream& stream, const std::string& name, TItemTypes& items) {
    FreeItems(items);
    TDataBlockReader reader(stream, name);
    TItemTypes result;
    result.reserve(static_cast<size_t>(reader.Count()));
    TItemRecord record;
    while (reader.Next(record)) {
        result.emplace_back();
        reader.ReadValue(record, result.back());
    }
    if (reader.Found() && !reader.AtEndOfRecords())
        throw EDataBlockError("Damaged data block in \"" + name + "\": the records do not fill the block");
    items = std::move(result);
}

void FreeItem(TItemType& item) { item.Data.Clear(); }

void FreeItems(TItemTypes& items) { items.clear(); }

// The writing half of the container, apart so that programs that only read blocks (the
// uninstaller) do not take it in; it writes values as they were added (compressed ones already
// deflated), so that a program that adds none to compress (the installer) carries no compressor.
#include "container/uExeAdder.h"
#include "container/uStreamUtils.h"
#include "base/Endian.h"
#include "container/md5.h"
#include "container/uZLib.h"
#include <algorithm>
#include <zlib.h>

namespace {

// A checksum of a value's content for the key: a zlib stream already ends with the Adler-32 of
// its content (big-endian), so the largest value costs nothing; others are summed here.
uint32_t ValueSum(const TBuffer& data, bool packed) {
    if (packed && data.Size() >= 4) return GetBE32(data.Data() + data.Size() - 4);
    uLong sum = adler32(0L, Z_NULL, 0);
    for (size_t at = 0; at < data.Size(); at += ZLibMaxSlice)
        sum = adler32(sum, data.Data() + at, static_cast<uInt>(std::min(ZLibMaxSlice, data.Size() - at)));
    return static_cast<uint32_t>(sum);
}

}  // namespace

// The name key comes from what the block holds, so that the same items give the same bytes on
// every run and machine. Readers take the key from the block; any value from 17 to 255 serves.
int32_t TWriteHelper::ContentKey() const {
    TMD5Context context;
    DigestInit(context);
    for (const TPendingItem& pending : FItems) {
        const TItemType& item = pending.Item;
        uint8_t head[17];
        SetLE32(head, static_cast<uint32_t>(item.Name.size()));
        head[4] = static_cast<uint8_t>((item.Compressed ? 1 : 0) | (pending.Packed ? 2 : 0));
        SetLE64(head + 5, item.Data.Size());
        SetLE32(head + 13, ValueSum(item.Data, pending.Packed));
        DigestUpdate(context, head, sizeof head);
        DigestUpdateLarge(context, item.Name.data(), item.Name.size());
    }
    TMD5Digest digest;
    DigestFinal(context, digest);
    return 17 + static_cast<int32_t>(GetLE32(digest.Bytes) % 239);
}

void TWriteHelper::AddUncompressed(const std::string& name, const void* data, size_t size) {
    TPendingItem pending;
    pending.Item.Name = name;
    if (size > 0 && data) pending.Item.Data = TBuffer(data, size);
    FItems.push_back(std::move(pending));
}

void TWriteHelper::AddCompressedStream(const std::string& name, TBuffer&& zlibStream) {
    TPendingItem pending;
    pending.Item.Name = name;
    pending.Item.Compressed = !zlibStream.Empty();
    pending.Item.Data = std::move(zlibStream);
    pending.Packed = pending.Item.Compressed;
    FItems.push_back(std::move(pending));
}

void TWriteHelper::SaveToExe(const std::string& fileName, uint8_t trailingDataFlag) {
    if (!FileExists(fileName)) return;
    TFileStream file(fileName, fmOpenReadWrite | fmShareDenyWrite);
    const int64_t p0 = file.Seek(0, TSeekOrigin::soEnd);
    try {
        WriteInt32(file, 0);  // the file size, known at the end
        WriteUInt8(file, trailingDataFlag);
        const int64_t p1 = file.Position();
        const int32_t key = ContentKey();
        WriteInt32(file, key);
        WriteInt32(file, static_cast<int32_t>(FItems.size()));
        for (const TPendingItem& pending : FItems) {
            const TItemType& item = pending.Item;
            WriteSizedString(file, XorItemName(item.Name, key));
            WriteUInt8(file, item.Compressed ? 1 : 0);
            WriteInt32(file, item.Size());
            file.WriteBuffer(item.Data.Data(), item.Data.Size());
        }
        WriteInt64(file, file.Position() - p1);
        file.WriteBuffer(DataBlockSignature, 4);
        const int64_t total = file.Position();
        file.SetPosition(p0);
        WriteInt32(file, static_cast<int32_t>(static_cast<uint32_t>(total)));
    } catch (...) {
        // Never leave half a block behind: readers would take it for a damaged one.
        file.SetSize(p0);
        throw;
    }
}

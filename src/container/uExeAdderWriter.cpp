// The writing half of the container, apart so that programs that only read blocks (the
// uninstaller) do not take the compressor in.
#include "container/uExeAdder.h"
#include "container/uStreamUtils.h"
#include <ctime>

namespace {
uint32_t NextKeySeed() {
    static uint32_t counter = 0;  // distinct keys for blocks written within one clock tick
    uint32_t x = static_cast<uint32_t>(std::time(nullptr)) ^ static_cast<uint32_t>(std::clock()) ^
                 (++counter * 0x9E3779B9u) ^ static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&counter));
    x ^= x << 13; x ^= x >> 17; x ^= x << 5;
    return x;
}
}  // namespace

void TWriteHelper::AddItem(const std::string& name, const void* data, bool compressed, int32_t size) {
    TPendingItem pending;
    pending.Item.Name = name;
    if (size > 0 && data) {
        pending.Item.Data = TBuffer(data, static_cast<size_t>(size));
        pending.Item.Compressed = compressed;
    }
    FItems.push_back(std::move(pending));
}

void TWriteHelper::AddString(const std::string& name, const std::string& text) {
    AddItem(name, text.data(), true, static_cast<int32_t>(text.size()));
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
        const int32_t key = 17 + static_cast<int32_t>(NextKeySeed() % 239);
        WriteInt32(file, key);
        WriteInt32(file, static_cast<int32_t>(FItems.size()));
        for (const TPendingItem& pending : FItems) {
            const TItemType& item = pending.Item;
            WriteSizedString(file, XorItemName(item.Name, key));
            WriteUInt8(file, item.Compressed ? 1 : 0);
            if (item.Compressed && item.Size() > 0 && !pending.Packed) {
                WriteCompressedBlock(file, item.Data.Data(), item.Data.Size());
            } else {
                WriteInt32(file, item.Size());
                file.WriteBuffer(item.Data.Data(), item.Data.Size());
            }
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

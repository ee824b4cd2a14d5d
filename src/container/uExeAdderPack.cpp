// The compressing half of the container's writer, apart from the block writer so that a program
// that adds only values stored as they are (the installer) links no compressor.
#include "container/uExeAdder.h"
#include "container/uZLib.h"

void TWriteHelper::AddItem(const std::string& name, const void* data, bool compressed, int32_t size) {
    if (compressed && size > 0 && data) {
        TBuffer packed;
        CompressBuffer(data, static_cast<size_t>(size), packed);
        AddCompressedStream(name, std::move(packed));
        return;
    }
    TPendingItem pending;
    pending.Item.Name = name;
    if (size > 0 && data) pending.Item.Data = TBuffer(data, static_cast<size_t>(size));
    FItems.push_back(std::move(pending));
}

void TWriteHelper::AddString(const std::string& name, const std::string& text) {
    AddItem(name, text.data(), true, static_cast<int32_t>(text.size()));
}

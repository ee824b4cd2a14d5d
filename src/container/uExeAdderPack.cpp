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
    AddUncompressed(name, data, size > 0 ? static_cast<size_t>(size) : 0);
}

void TWriteHelper::AddString(const std::string& name, const std::string& text) {
    AddItem(name, text.data(), true, static_cast<int32_t>(text.size()));
}

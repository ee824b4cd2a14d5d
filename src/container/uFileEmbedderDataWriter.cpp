// The writing half of the embedded file's property, apart so that a program that only reads its
// form (the installer) links no compressor.
#include "uFileEmbedderData.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"

void TFileEmbedderData::WriteData(TStream& stream) const {
    const size_t size = static_cast<size_t>(FData.Size());
    if (FCompressed) {
        WriteCompressedBlock(stream, FData.Memory(), size);
    } else {
        WriteInt32(stream, static_cast<int32_t>(size));
        stream.WriteBuffer(FData.Memory(), size);
    }
}

void TFileEmbedderData::WriteDataFromFile(TStream& stream, const std::string& fileName) {
    LoadFromFile(fileName);
    WriteData(stream);
}

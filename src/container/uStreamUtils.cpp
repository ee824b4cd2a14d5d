#include "uStreamUtils.h"
#include "base/Endian.h"
#include "base/SysUtils.h"
#include "container/uZLib.h"

uint8_t ReadUInt8(TStream& stream) {
    uint8_t b;
    stream.ReadBuffer(&b, 1);
    return b;
}

void WriteUInt8(TStream& stream, uint8_t value) { stream.WriteBuffer(&value, 1); }

int32_t ReadInt32(TStream& stream) {
    uint8_t b[4];
    stream.ReadBuffer(b, 4);
    return static_cast<int32_t>(GetLE32(b));
}

void WriteInt32(TStream& stream, int32_t value) {
    uint8_t b[4];
    SetLE32(b, static_cast<uint32_t>(value));
    stream.WriteBuffer(b, 4);
}

int64_t ReadInt64(TStream& stream) {
    uint8_t b[8];
    stream.ReadBuffer(b, 8);
    return static_cast<int64_t>(GetLE64(b));
}

void WriteInt64(TStream& stream, int64_t value) {
    uint8_t b[8];
    SetLE64(b, static_cast<uint64_t>(value));
    stream.WriteBuffer(b, 8);
}

uint32_t ReadCheckedCount(TStream& stream, const char* what) {
    uint32_t n = static_cast<uint32_t>(ReadInt32(stream));
    if (static_cast<int64_t>(n) > stream.Remaining())
        throw EReadError(std::string(what) + " of " + std::to_string(n) + " bytes runs past the end of the data");
    return n;
}

std::string ReadSizedString(TStream& stream) {
    uint32_t n = ReadCheckedCount(stream, "String");
    std::string s(n, '\0');
    stream.ReadBuffer(s.data(), n);
    return s;
}

void WriteSizedString(TStream& stream, const std::string& value) {
    WriteInt32(stream, static_cast<int32_t>(value.size()));
    stream.WriteBuffer(value.data(), value.size());
}

TBuffer ReadCompressedBlock(TStream& stream) {
    uint32_t n = ReadCheckedCount(stream, "Compressed block");
    TBuffer result;
    if (n == 0) return result;
    TBuffer packed(n);
    stream.ReadBuffer(packed.Data(), n);
    DecompressBuffer(packed.Data(), n, result);
    return result;
}

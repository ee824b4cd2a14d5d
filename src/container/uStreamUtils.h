// Integer, sized-string and compressed-block I/O on streams; every stored integer is little-endian.
#pragma once
#include "base/Classes.h"
#include <cstdint>
#include <string>

uint8_t ReadUInt8(TStream& stream);
void WriteUInt8(TStream& stream, uint8_t value);
int32_t ReadInt32(TStream& stream);
void WriteInt32(TStream& stream, int32_t value);
int64_t ReadInt64(TStream& stream);
void WriteInt64(TStream& stream, int64_t value);

// 32-bit byte count, then the bytes. A count that runs past the stream raises EReadError
// before anything is allocated.
std::string ReadSizedString(TStream& stream);
void WriteSizedString(TStream& stream, const std::string& value);

// Compressed-block framing: 32-bit byte count N, then N bytes of one zlib stream.
// An empty payload is N = 0 with no stream. Counts past the stream raise EReadError.
void WriteCompressedBlock(TStream& stream, const void* data, size_t size);
TBuffer ReadCompressedBlock(TStream& stream);
// Reads a 32-bit count and checks it against the bytes left in the stream.
uint32_t ReadCheckedCount(TStream& stream, const char* what);

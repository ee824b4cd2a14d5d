// The one zlib wrapper: whole-buffer deflate and inflate, plus a chunked inflate from a stream.
#pragma once
#include "base/Buffer.h"
#include "base/Classes.h"
#include "base/Progress.h"
#include "base/SysUtils.h"

KESTRIN_EXCEPTION(EZLibError, Exception);
KESTRIN_EXCEPTION(EZCompressionError, EZLibError);
KESTRIN_EXCEPTION(EZDecompressionError, EZLibError);

enum class TCompressionLevel { clNone, clFastest, clDefault, clMax };

// zlib's text for a result code, never empty.
const char* ZLibMessage(int code);
// zlib counts in uInt: larger inputs are fed in slices of this size.
inline constexpr size_t ZLibMaxSlice = size_t(1) << 30;

// Deflates the whole input into output (replaced). Raises EZCompressionError. (uZLibDeflate.cpp)
// With `progress` the input is fed a megabyte at a time and each one reported; the output is
// the same either way.
void CompressBuffer(const void* input, size_t inputSize, TBuffer& output,
                    TCompressionLevel level = TCompressionLevel::clDefault, const TProgress* progress = nullptr);
// Inflates one whole zlib stream into output (replaced). sizeHint 0 means none.
// Any zlib result but success and stream end raises EZDecompressionError with zlib's text.
void DecompressBuffer(const void* input, size_t inputSize, TBuffer& output, size_t sizeHint = 0);

class TByteSink {
public:
    virtual ~TByteSink() = default;
    virtual void Put(const uint8_t* data, size_t size) = 0;
};

// Collects what it is given in a memory stream, but never more than `limit` bytes in all: past it,
// `tooLarge` raises (an inflated value that would exhaust the process is refused, not held).
class TLimitedStreamSink : public TByteSink {
public:
    TLimitedStreamSink(TMemoryStream& target, uint64_t limit, void (*tooLarge)()) :
        FTarget(target), FLimit(limit), FTooLarge(tooLarge) {}
    void Put(const uint8_t* data, size_t size) override {
        if (static_cast<uint64_t>(FTarget.Size()) + size > FLimit) FTooLarge();
        FTarget.WriteBuffer(data, size);
    }
private:
    TMemoryStream& FTarget;
    uint64_t FLimit;
    void (*FTooLarge)();
};

// Inflates the zlib stream held in the next `count` bytes of source, handing the output to
// sink in pieces, so that neither copy of a large value has to be held in memory.
// Returns the inflated length. Raises EZDecompressionError, or EReadError when source ends early.
uint64_t InflateFromStream(TStream& source, uint64_t count, TByteSink& sink);

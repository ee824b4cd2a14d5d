#include "uZLib.h"
#include <algorithm>
#include <zlib.h>

namespace {

const char* ZMessage(int code) {
    const char* text = zError(code);
    return text && *text ? text : "zlib error";
}

int ZLevel(TCompressionLevel level) {
    switch (level) {
    case TCompressionLevel::clNone: return 0;
    case TCompressionLevel::clFastest: return 1;
    case TCompressionLevel::clMax: return 9;
    default: return Z_DEFAULT_COMPRESSION;
    }
}

// zlib counts in uInt; feed larger inputs in slices.
const size_t MaxSlice = 1u << 30;

struct TInflater {
    z_stream Z{};
    TInflater() {
        int rc = inflateInit(&Z);
        if (rc != Z_OK) throw EZDecompressionError(ZMessage(rc));
    }
    ~TInflater() { inflateEnd(&Z); }
};

struct TDeflater {
    z_stream Z{};
    explicit TDeflater(int level) {
        int rc = deflateInit(&Z, level);
        if (rc != Z_OK) throw EZCompressionError(ZMessage(rc));
    }
    ~TDeflater() { deflateEnd(&Z); }
};

}  // namespace

void CompressBuffer(const void* input, size_t inputSize, TBuffer& output, TCompressionLevel level) {
    TBuffer out;
    out.Resize(((inputSize + inputSize / 10 + 12) + 255) & ~size_t(255));
    TDeflater d(ZLevel(level));
    auto* in = static_cast<const uint8_t*>(input);
    size_t inLeft = inputSize, produced = 0;
    for (;;) {
        size_t slice = std::min(inLeft, MaxSlice);
        d.Z.next_in = const_cast<Bytef*>(in);
        d.Z.avail_in = static_cast<uInt>(slice);
        bool last = slice == inLeft;
        d.Z.next_out = out.Data() + produced;
        d.Z.avail_out = static_cast<uInt>(std::min(out.Size() - produced, MaxSlice));
        uInt availBefore = d.Z.avail_out;
        int rc = deflate(&d.Z, last ? Z_FINISH : Z_NO_FLUSH);
        if (rc < 0 && rc != Z_BUF_ERROR) throw EZCompressionError(ZMessage(rc));
        produced += availBefore - d.Z.avail_out;
        size_t consumed = slice - d.Z.avail_in;
        in += consumed;
        inLeft -= consumed;
        if (rc == Z_STREAM_END) break;
        if (produced == out.Size()) out.Resize(out.Size() + 256);
    }
    out.Resize(produced);
    out.ShrinkToFit();
    output = std::move(out);
}

void DecompressBuffer(const void* input, size_t inputSize, TBuffer& output, size_t sizeHint) {
    const size_t step = std::max<size_t>((inputSize + 255) & ~size_t(255), 256);
    TBuffer out;
    out.Resize(sizeHint ? sizeHint : step);
    TInflater z;
    auto* in = static_cast<const uint8_t*>(input);
    size_t inLeft = inputSize, produced = 0;
    for (;;) {
        if (produced == out.Size()) {
            // Grow by the rounded input size at first, then geometrically, so that highly
            // compressed payloads do not cost quadratic copying.
            out.Resize(out.Size() + std::max(step, out.Size() / 2));
        }
        size_t slice = std::min(inLeft, MaxSlice);
        z.Z.next_in = const_cast<Bytef*>(in);
        z.Z.avail_in = static_cast<uInt>(slice);
        z.Z.next_out = out.Data() + produced;
        z.Z.avail_out = static_cast<uInt>(std::min(out.Size() - produced, MaxSlice));
        uInt availBefore = z.Z.avail_out;
        int rc = inflate(&z.Z, Z_NO_FLUSH);
        produced += availBefore - z.Z.avail_out;
        size_t consumed = slice - z.Z.avail_in;
        in += consumed;
        inLeft -= consumed;
        if (rc == Z_STREAM_END) break;
        // A preset-dictionary request (Z_NEED_DICT) is positive and would otherwise loop forever.
        if (rc != Z_OK) throw EZDecompressionError(ZMessage(rc));
    }
    out.Resize(produced);
    out.ShrinkToFit();
    output = std::move(out);
}

uint64_t InflateFromStream(TStream& source, uint64_t count, TByteSink& sink) {
    const size_t chunk = 1 << 16;
    TBuffer inBuf(chunk), outBuf(4 * chunk);
    TInflater z;
    uint64_t left = count, total = 0;
    for (;;) {
        if (z.Z.avail_in == 0 && left > 0) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(left, chunk));
            source.ReadBuffer(inBuf.Data(), n);
            left -= n;
            z.Z.next_in = inBuf.Data();
            z.Z.avail_in = static_cast<uInt>(n);
        }
        z.Z.next_out = outBuf.Data();
        z.Z.avail_out = static_cast<uInt>(outBuf.Size());
        int rc = inflate(&z.Z, Z_NO_FLUSH);
        size_t produced = outBuf.Size() - z.Z.avail_out;
        if (produced) { sink.Put(outBuf.Data(), produced); total += produced; }
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK) throw EZDecompressionError(ZMessage(rc));
    }
    // Skip what follows the stream inside its stored length, as the whole-buffer reader ignores it.
    if (left) source.Seek(static_cast<int64_t>(left), TSeekOrigin::soCurrent);
    return total;
}

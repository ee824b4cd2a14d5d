#include "uZLib.h"
#include <algorithm>
#include <zlib.h>

namespace {

struct TInflater {
    z_stream Z{};
    TInflater() {
        int rc = inflateInit(&Z);
        if (rc != Z_OK) throw EZDecompressionError(ZLibMessage(rc));
    }
    ~TInflater() { inflateEnd(&Z); }
};

}  // namespace

const char* ZLibMessage(int code) {
    const char* text = zError(code);
    return text && *text ? text : "zlib error";
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
        size_t slice = std::min(inLeft, ZLibMaxSlice);
        z.Z.next_in = const_cast<Bytef*>(in);
        z.Z.avail_in = static_cast<uInt>(slice);
        z.Z.next_out = out.Data() + produced;
        z.Z.avail_out = static_cast<uInt>(std::min(out.Size() - produced, ZLibMaxSlice));
        uInt availBefore = z.Z.avail_out;
        int rc = inflate(&z.Z, Z_NO_FLUSH);
        produced += availBefore - z.Z.avail_out;
        size_t consumed = slice - z.Z.avail_in;
        in += consumed;
        inLeft -= consumed;
        if (rc == Z_STREAM_END) break;
        // A preset-dictionary request (Z_NEED_DICT) is positive and would otherwise loop forever.
        if (rc != Z_OK) throw EZDecompressionError(ZLibMessage(rc));
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
        if (rc != Z_OK) throw EZDecompressionError(ZLibMessage(rc));
    }
    // Skip what follows the stream inside its stored length, as the whole-buffer reader ignores it.
    if (left) source.Seek(static_cast<int64_t>(left), TSeekOrigin::soCurrent);
    return total;
}

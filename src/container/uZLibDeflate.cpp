// The deflating half of the zlib wrapper, apart so that programs that only read (the uninstaller)
// do not take zlib's compressor in: the linker keeps a library object whole once it is pulled.
#include "container/uStreamUtils.h"
#include "container/uZLib.h"
#include <algorithm>
#include <zlib.h>

namespace {

int ZLevel(TCompressionLevel level) {
    switch (level) {
    case TCompressionLevel::clNone: return 0;
    case TCompressionLevel::clFastest: return 1;
    case TCompressionLevel::clMax: return 9;
    default: return Z_DEFAULT_COMPRESSION;
    }
}

struct TDeflater {
    z_stream Z{};
    explicit TDeflater(int level) {
        int rc = deflateInit(&Z, level);
        if (rc != Z_OK) throw EZCompressionError(ZLibMessage(rc));
    }
    ~TDeflater() { deflateEnd(&Z); }
};

}  // namespace

void CompressBuffer(const void* input, size_t inputSize, TBuffer& output, TCompressionLevel level,
                    const TProgress* progress) {
    // Deflate's output does not depend on how its input is sliced.
    const size_t maxSlice = progress ? size_t(1) << 20 : ZLibMaxSlice;
    TBuffer out;
    out.Resize(((inputSize + inputSize / 10 + 12) + 255) & ~size_t(255));
    TDeflater d(ZLevel(level));
    auto* in = static_cast<const uint8_t*>(input);
    size_t inLeft = inputSize, produced = 0;
    for (;;) {
        size_t slice = std::min(inLeft, maxSlice);
        d.Z.next_in = const_cast<Bytef*>(in);
        d.Z.avail_in = static_cast<uInt>(slice);
        bool last = slice == inLeft;
        d.Z.next_out = out.Data() + produced;
        d.Z.avail_out = static_cast<uInt>(std::min(out.Size() - produced, ZLibMaxSlice));
        uInt availBefore = d.Z.avail_out;
        int rc = deflate(&d.Z, last ? Z_FINISH : Z_NO_FLUSH);
        if (rc < 0 && rc != Z_BUF_ERROR) throw EZCompressionError(ZLibMessage(rc));
        produced += availBefore - d.Z.avail_out;
        size_t consumed = slice - d.Z.avail_in;
        in += consumed;
        inLeft -= consumed;
        if (progress) (*progress)(inputSize - inLeft, inputSize);
        if (rc == Z_STREAM_END) break;
        if (produced == out.Size()) out.Resize(out.Size() + 256);
    }
    out.Resize(produced);
    out.ShrinkToFit();
    output = std::move(out);
}

// The compressed block's writer (declared with the stream helpers).
void WriteCompressedBlock(TStream& stream, const void* data, size_t size) {
    if (size == 0) { WriteInt32(stream, 0); return; }
    TBuffer packed;
    CompressBuffer(data, size, packed);
    WriteInt32(stream, static_cast<int32_t>(packed.Size()));
    stream.WriteBuffer(packed.Data(), packed.Size());
}

// The embedded file property, compressed (first byte odd) or raw.
#include "container/uFileEmbedderData.h"
#include "container/uZLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    TMemoryStream in;
    in.WriteBuffer(data + 1, size - 1);
    in.SetPosition(0);
    TFileEmbedderData d;
    d.SetCompressed(data[0] & 1);
    try {
        d.ReadData(in);
    } catch (const EReadError&) {
    } catch (const EZDecompressionError&) {
    }
    return 0;
}

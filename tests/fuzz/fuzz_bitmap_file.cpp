// Bitmap files: checking and decoding must never read outside the given bytes.
#include "container/uBitmapFile.h"
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that any read past the end is caught.
    std::vector<uint8_t> copy(data, data + size);
    try {
        DecodeBitmapFile(copy.data(), copy.size());
    } catch (const EBitmapFormatError&) {
    } catch (const EInvalidBitmap&) {
    }
    return 0;
}

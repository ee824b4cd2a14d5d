// Reads the header facts of arbitrary bytes and loads them as a PE image; whatever loads must save and load again to the same layout.
#include "container/uPEUtils.h"
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream in;
    in.WriteBuffer(data, size);
    // The header facts never raise; whatever the model loads, they call a 32-bit image.
    const TPEFileFacts facts = ReadPEFileFacts(in);
    TPEImage image;
    try {
        image.LoadFromStream(in);
    } catch (const EReadError&) {
        return 0;
    }
    if (facts.Kind == TPEFileKind::NotAnImage || facts.Wide) std::abort();
    TMemoryStream out;
    image.SaveToStream(out);
    TPEImage again;
    again.LoadFromStream(out);
    if (again.Sections.size() != image.Sections.size() || again.EndOfImage() != image.EndOfImage()) std::abort();
    TMemoryStream out2;
    again.SaveToStream(out2);
    if (out2.Size() != out.Size() || std::memcmp(out2.Memory(), out.Memory(), size_t(out.Size())) != 0) std::abort();
    return 0;
}

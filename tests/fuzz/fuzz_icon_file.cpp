// Icon files: the check and the stream reader must agree and never read outside the given bytes.
#include "container/uIconFile.h"
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> copy(data, data + size);
    bool checked = false;
    try {
        TIconFileInfo info = CheckIconFile(copy.data(), copy.size());
        checked = true;
        if (info.End > copy.size() || info.Images.empty()) std::abort();
    } catch (const EIconFormatError&) {
    }
    TMemoryStream s;
    if (size) s.WriteBuffer(data, size);
    s.SetPosition(0);
    try {
        std::string file = ReadIconFile(s);
        // What the reader takes from a stream is a file the check accepts, and a prefix of it.
        if (file.size() > size || (checked && file.size() > copy.size())) std::abort();
    } catch (const EIconFormatError&) {
        if (checked) std::abort();  // the check accepted bytes the reader refused
    }
    return 0;
}

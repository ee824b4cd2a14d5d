// The stored picture list: reading anything must either fail cleanly or give a list whose every
// entry can be fetched, decoded, deleted, and written and read back to the same bytes.
#include "controls/uBitmapListStream.h"
#include "container/uZLib.h"
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream in;
    in.WriteBuffer(data, size);
    in.SetPosition(0);
    TBitmapListData list;
    try {
        list.ReadBitmaps(in);
    } catch (const EReadError&) {
        return 0;
    } catch (const EZDecompressionError&) {
        return 0;
    }
    TMemoryStream out;
    list.WriteBitmaps(out);
    out.SetPosition(0);
    TBitmapListData back;
    back.ReadBitmaps(out);
    // An empty area has no memory at all, and memcmp must not be given null pointers.
    if (back.AreaSize() != list.AreaSize() ||
        (list.AreaSize() > 0 &&
         std::memcmp(back.Area().Memory(), list.Area().Memory(), static_cast<size_t>(list.AreaSize())) != 0))
        std::abort();
    for (THash* table : {&list.Images(), &list.Masks()}) {
        while (table->GetCount() > 0) {
            std::string name = table->KeyAt(0);
            try {
                list.DecodeFile(*table, name);
            } catch (const EBitmapFormatError&) {
                // run-length pictures are stored but not decoded
            }
            if (!list.DeleteFrom(name, *table)) std::abort();
        }
    }
    if (list.AreaSize() < 0) std::abort();
    return 0;
}

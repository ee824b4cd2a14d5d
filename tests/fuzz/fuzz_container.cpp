// Reads every item of a block from arbitrary file contents, in memory, through the reader that
// the file-name entries use; then looks up the last name read (or "GUID") on its own, and reads
// the block as the installer does, with its payload joined and digested.
#include "container/uExeAdder.h"
#include "container/uPayload.h"
#include "container/uZLib.h"
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream file;
    file.WriteBuffer(data, size);
    TItemTypes items;
    try {
        ReadItems(file, "input", items);
        TItemType item;
        ReadItem(file, "input", items.empty() ? std::string("GUID") : items.back().Name, item);
    } catch (const EReadError&) {
    } catch (const EZLibError&) {
    }
    try {
        TDataBlockReader reader(file, "input");
        TBuffer payload;
        TPayloadCheck check = ReadPayload(reader, items, &payload);
        if (check.Length > payload.Size()) std::abort();  // the digest never covers more than was read
    } catch (const EReadError&) {
    } catch (const EZLibError&) {
    } catch (const EOutOfMemory&) {
    }
    return 0;
}

// Reads every item of a block from arbitrary file contents; also the input as the end of a
// real block's file, so the fuzzer starts from well-formed records.
#include "container/uExeAdder.h"
#include "container/uZLib.h"
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/kestrin-fuzz-container-" + std::to_string(getpid());
    {
        TFileStream f(path, fmCreate);
        f.WriteBuffer(data, size);
    }
    TItemTypes items;
    try {
        ReadItems(path, items);
        TItemType item;
        ReadItem(path, items.empty() ? std::string("GUID") : items.back().Name, item);
    } catch (const EReadError&) {
    } catch (const EZLibError&) {
    }
    return 0;
}

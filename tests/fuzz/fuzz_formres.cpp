// Form resources from untrusted bytes: the binary reader and the text parser must fail cleanly.
#include "framework/FormResource.h"
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        TFormObject o = FormFromBinary(data, size);
        std::string text = FormToText(o);
        if (!(ParseFormText(text) == o)) __builtin_trap();  // what was read prints and parses back
    } catch (const EReadError&) {
    }
    try {
        ParseFormText(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const EReadError&) {
    }
    return 0;
}

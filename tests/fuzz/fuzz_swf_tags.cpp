// SWF action tags: the walk over any body stays inside it and covers it.
#include "system/uSWFTags.h"
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    TMemoryStream source;
    source.WriteBuffer(data + 1, size - 1);
    const int code = data[0] & 1 ? SWFTagDoInitAction : SWFTagDoAction;
    TSWFActionTag tag(nullptr, code, 0, static_cast<int32_t>(size - 1), source);
    uint64_t next = code == SWFTagDoInitAction ? 2 : 0;
    for (const TSWFAction& a : tag.Actions()) {
        if (a.Offset != next || a.Length == 0) std::abort();
        next = uint64_t(a.Offset) + a.Length;
    }
    if (!tag.Actions().empty() && next != size - 1) std::abort();
    return 0;
}

// A console stand-in for the installer stub: it reads the block appended to its own executable,
// lists the items and checks the payload digest the way the installer does. Used by the demo
// and by the end-to-end tests until the real stub is built from the same container code.
#include "base/Endian.h"
#include "container/md5.h"
#include "container/uExeAdder.h"
#include "container/uInstallerContract.h"
#include "win32/uModule.h"
#include <cstdio>
#include <windows.h>

int main() {
    const std::string path = ModuleFileName();
    if (path.empty()) return 2;
    TItemTypes items;
    try {
        ReadItems(path, items);
    } catch (const std::exception& e) {
        std::printf("error: %s\n", e.what());
        return 4;
    }
    std::printf("%u items\n", static_cast<unsigned>(items.size()));
    TMemoryStream scr;
    std::string mxf;
    uint32_t mxl = 0;
    for (const TItemType& item : items) {
        std::printf("  %-26s %10d%s\n", item.Name.c_str(), item.Size(), item.Compressed ? " (compressed)" : "");
        if (item.Name == ItemName::Scr) scr.WriteBuffer(item.Data.Data(), item.Data.Size());
        else if (item.Name == ItemName::Digest) mxf.assign(reinterpret_cast<const char*>(item.Data.Data()), item.Data.Size());
        else if (item.Name == ItemName::DigestLength && item.Size() >= 4) mxl = GetLE32(item.Data.Data());
    }
    FreeItems(items);
    if (mxl > scr.Size()) mxl = static_cast<uint32_t>(scr.Size());
    std::string digest = VariantDigestOf(scr.Memory(), mxl);
    std::printf("digest %s: %s\n", digest == mxf ? "ok" : "MISMATCH", digest.c_str());
    return digest == mxf ? 0 : 1;
}

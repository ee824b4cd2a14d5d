// The resource tree reader and writer: the input is a resource section. Reading must never
// fail; the tree that was read, rebuilt and read again must be the same tree, undamaged.
#include "container/uResourceTree.h"
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const uint32_t SectionRva = 0x1000, RawOffset = 0x200;

// A minimal PE32 image whose only section, .rsrc, holds the given bytes.
std::vector<uint8_t> MakeImage(const uint8_t* data, size_t size) {
    std::vector<uint8_t> f(RawOffset + size, 0);
    f[0] = 'M'; f[1] = 'Z';
    SetLE32(&f[60], 64);
    uint8_t* nt = &f[64];
    std::memcpy(nt, "PE\0\0", 4);
    SetLE16(nt + 4, 0x14C);
    SetLE16(nt + 6, 1);
    SetLE16(nt + 20, 224);
    uint8_t* opt = nt + 24;
    SetLE16(opt, 0x10B);
    SetLE32(opt + 32, 0x1000);  // SectionAlignment
    SetLE32(opt + 36, 0x200);   // FileAlignment
    SetLE32(opt + 60, RawOffset);
    SetLE32(opt + 92, 16);
    SetLE32(opt + 96 + 8 * 2, SectionRva);
    SetLE32(opt + 96 + 8 * 2 + 4, static_cast<uint32_t>(size));
    uint8_t* sh = nt + 248;
    std::memcpy(sh, ".rsrc", 5);
    SetLE32(sh + 8, static_cast<uint32_t>(size));
    SetLE32(sh + 12, SectionRva);
    SetLE32(sh + 16, static_cast<uint32_t>(size));
    SetLE32(sh + 20, RawOffset);
    SetLE32(sh + 36, 0x40000040);
    if (size) std::memcpy(&f[RawOffset], data, size);
    return f;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

void Same(const TResourceItem& a, const TResourceItem& b) {
    Check(a.Level == b.Level && a.Named == b.Named && a.WideName == b.WideName && a.Number == b.Number &&
          a.TypeNumber == b.TypeNumber && a.TypeId == b.TypeId && a.Name == b.Name);
    if (a.Level == TResourceItem::LanguageLevel) {
        Check(a.Id == b.Id && a.CodePage == b.CodePage && a.DataSize() == b.DataSize());
        Check(a.DataSize() == 0 ||
              std::memcmp(const_cast<TResourceItem&>(a).Data.Memory(), const_cast<TResourceItem&>(b).Data.Memory(),
                          a.DataSize()) == 0);
        return;
    }
    // Directories without any leaf below them are not written.
    std::vector<const TResourceItem*> x, y;
    for (auto& c : a.Children) if (c->IsEmitted()) x.push_back(c.get());
    for (auto& c : b.Children) if (c->IsEmitted()) y.push_back(c.get());
    Check(x.size() == y.size());
    if (!x.empty() || a.Level == 0)
        Check(a.Characteristics == b.Characteristics && a.TimeDateStamp == b.TimeDateStamp &&
              a.MajorVersion == b.MajorVersion && a.MinorVersion == b.MinorVersion);
    for (size_t i = 0; i < x.size(); ++i) Same(*x[i], *y[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    std::vector<uint8_t> bytes = MakeImage(data, size);
    TMemoryStream file;
    file.WriteBuffer(bytes.data(), bytes.size());
    file.SetPosition(0);
    TPEImage image;
    image.LoadFromStream(file);
    TResourceDataOperator first(image.FindSection(".rsrc"));
    first.Rebuild();
    TResourceDataOperator second(image.FindSection(".rsrc"));
    Check(second.DamagedEntries == 0);
    Same(*first.Root, *second.Root);
    // The rebuilt image saves and loads as a whole.
    TMemoryStream saved;
    image.SaveToStream(saved);
    saved.SetPosition(0);
    TPEImage again;
    again.LoadFromStream(saved);
    TResourceDataOperator third(again.FindSection(".rsrc"));
    Check(third.DamagedEntries == 0);
    Same(*first.Root, *third.Root);
    return 0;
}

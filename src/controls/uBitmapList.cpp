#include "controls/uBitmapList.h"
#include "controls/uGraphUtils.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"
#include "base/Endian.h"
#include <algorithm>
#include <cstring>

namespace {
const char KSignature[6] = {'B', 'm', 'p', 'L', 's', 't'};
const char* const KVersion = "1.0.0.0";
// Well above any form's pictures, far below what would exhaust a 32-bit process.
const uint32_t KMaxArea = 64u << 20;

int CompareText(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) - CSTR_EQUAL;
}
}  // namespace

TBitmapList::TBitmapList(TComponent* owner) : TComponent(owner) {}

TBitmapList::~TBitmapList() {
    Clear();
    // Each client unregisters itself while it drops the list, so walk a copy.
    std::vector<IBitmapListClient*> copy = FClients;
    for (IBitmapListClient* c : copy) c->SetBitmapList(nullptr);
    FClients.clear();
}

int TBitmapList::Find(const TTable& t, const std::string& name) {
    auto it = std::lower_bound(t.begin(), t.end(), name, [](const TEntry& e, const std::string& n) { return CompareText(e.Name, n) < 0; });
    if (it != t.end() && CompareText(it->Name, name) == 0) return static_cast<int>(it - t.begin());
    return -1;
}

void TBitmapList::Put(TTable& t, const std::string& name, int32_t offset) {
    auto it = std::lower_bound(t.begin(), t.end(), name, [](const TEntry& e, const std::string& n) { return CompareText(e.Name, n) < 0; });
    for (auto j = it; j != t.end() && CompareText(j->Name, name) == 0; ++j)
        if (j->Name == name) { j->Offset = offset; return; }
    t.insert(it, TEntry{name, offset});
}

std::vector<std::string> TBitmapList::ImageNames() const {
    std::vector<std::string> r;
    for (const auto& e : FImages) r.push_back(e.Name);
    return r;
}

void TBitmapList::NotifyClients(const std::string& name) {
    if (FUpdateCount > 0) return;
    std::vector<IBitmapListClient*> copy = FClients;
    for (IBitmapListClient* c : copy) {
        TStringList ids;
        c->GetImageIDs(ids);
        for (int i = 0; i < ids.Count(); ++i)
            if (CompareText(ids[i], name) == 0) c->ImageChanged();
    }
}

void TBitmapList::AddTo(const std::string& name, TTable& t, TBitmap& bitmap) {
    BeginUpdate();
    try {
        DeleteFrom(name, t);
        int64_t end = FArea.Size();
        if (end > 0x7FFFFFFF) throw EWriteError("Bitmap list area too large");
        FArea.Seek(0, TSeekOrigin::soEnd);
        bitmap.SaveToStream(FArea);
        Put(t, name, static_cast<int32_t>(end));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    NotifyClients(name);
}

void TBitmapList::DeleteFrom(const std::string& name, TTable& t) {
    int i = Find(t, name);
    if (i < 0) return;
    int32_t p = t[static_cast<size_t>(i)].Offset;
    uint8_t* a = FArea.Memory();
    int64_t size = FArea.Size();
    int64_t e = size;
    if (p >= 0 && p + 14 <= size) e = p + static_cast<int64_t>(GetLE32(a + p + 2));
    if (e > size || e <= p) e = size;
    std::memmove(a + p, a + e, static_cast<size_t>(size - e));
    FArea.SetSize(size - (e - p));
    t.erase(t.begin() + i);
    int32_t amount = static_cast<int32_t>(e - p);
    for (TTable* tab : {&FImages, &FMasks})
        for (auto& entry : *tab)
            if (entry.Offset > p) entry.Offset -= amount;
    NotifyClients(name);
}

void TBitmapList::Add(const std::string& name, TBitmap& bitmap, TColor transparent) {
    AddTo(name, FImages, bitmap);
    if (transparent != clNoTransparent) {
        TBitmap mask;
        MakeMask(&mask, &bitmap, transparent, false);
        mask.SetMonochrome(true);
        AddTo(name, FMasks, mask);
    }
}

void TBitmapList::Delete(const std::string& name) {
    DeleteFrom(name, FImages);
    DeleteFrom(name, FMasks);
}

void TBitmapList::Clear() {
    FImages.clear();
    FMasks.clear();
    FArea.Clear();
}

void TBitmapList::CreateMask(const std::string& name, TColor transparent) {
    if (!HasBitmap(name)) return;
    TBitmap image, mask;
    GetBitmap(name, &image);
    MakeMask(&mask, &image, transparent, false);
    mask.SetMonochrome(true);
    AddTo(name, FMasks, mask);
    NotifyClients(name);
}

void TBitmapList::DeleteMask(const std::string& name) { DeleteFrom(name, FMasks); }

void TBitmapList::Replace(const std::string& name, TBitmap& bitmap) {
    DeleteFrom(name, FImages);
    AddTo(name, FImages, bitmap);
}

void TBitmapList::Rename(const std::string& oldName, const std::string& newName) {
    for (TTable* t : {&FImages, &FMasks}) {
        int i = Find(*t, oldName);
        if (i < 0) continue;
        int32_t off = (*t)[static_cast<size_t>(i)].Offset;
        t->erase(t->begin() + i);
        Put(*t, newName, off);
    }
}

void TBitmapList::LoadAt(int32_t offset, TBitmap& bitmap) {
    FArea.SetPosition(offset);
    bitmap.LoadFromStream(FArea);
}

void TBitmapList::GetBitmap(const std::string& name, TBitmap* bitmap) {
    if (!bitmap) return;
    int i = Find(FImages, name);
    if (i < 0) bitmap->Clear();
    else LoadAt(FImages[static_cast<size_t>(i)].Offset, *bitmap);
}

void TBitmapList::GetMask(const std::string& name, TBitmap* bitmap) {
    if (!bitmap) return;
    int i = Find(FMasks, name);
    if (i < 0) bitmap->Clear();
    else LoadAt(FMasks[static_cast<size_t>(i)].Offset, *bitmap);
}

void TBitmapList::RegisterClient(IBitmapListClient* client) {
    if (client && std::find(FClients.begin(), FClients.end(), client) == FClients.end()) FClients.push_back(client);
}

void TBitmapList::UnregisterClient(IBitmapListClient* client) {
    FClients.erase(std::remove(FClients.begin(), FClients.end(), client), FClients.end());
}

void TBitmapList::ReadTable(TTable& t, TStream& s) {
    int32_t n = ReadInt32(s);
    // Each entry takes at least 8 bytes: a count beyond that is damage, not a big table.
    if (n < 0 || static_cast<int64_t>(n) * 8 > s.Remaining())
        throw EBitmapListReadError("Bitmaps: table count " + std::to_string(n) + " runs past the data");
    for (int32_t i = 0; i < n; ++i) {
        std::string name = ReadSizedString(s);
        int32_t off = ReadInt32(s);
        Put(t, name, off);
    }
}

void TBitmapList::CheckEntries() {
    int64_t size = FArea.Size();
    const uint8_t* a = FArea.Memory();
    for (const TTable* t : {&FImages, &FMasks})
        for (const auto& e : *t) {
            if (e.Offset < 0 || e.Offset + 14 > size || a[e.Offset] != 'B' || a[e.Offset + 1] != 'M')
                throw EBitmapListReadError("Bitmaps: entry " + e.Name + " does not point at a bitmap in the data");
            uint32_t len = GetLE32(a + e.Offset + 2);
            if (len < 14 || e.Offset + static_cast<int64_t>(len) > size)
                throw EBitmapListReadError("Bitmaps: bitmap " + e.Name + " runs past the data");
        }
}

void TBitmapList::ReadBitmaps(TStream& s) {
    try {
        ReadTable(FImages, s);
        ReadTable(FMasks, s);
        int64_t mark = s.Position();
        char sig[6] = {};
        bool current = s.Read(sig, 6) == 6 && std::memcmp(sig, KSignature, 6) == 0;
        bool compressed = false;
        if (current) {
            ReadSizedString(s);  // the format version, not needed to read
            compressed = ReadUInt8(s) != 0;
            FCompressed = compressed;
        } else {
            s.SetPosition(mark);
        }
        uint32_t n = ReadCheckedCount(s, "Bitmaps data");
        TBuffer stored(n);
        s.ReadBuffer(stored.Data(), n);
        FArea.Clear();
        if (compressed && n > 0) {
            TBuffer plain;
            DecompressBuffer(stored.Data(), n, plain);
            if (plain.Size() > KMaxArea) throw EBitmapListReadError("Bitmaps: data area too large");
            FArea.WriteBuffer(plain.Data(), plain.Size());
        } else {
            FArea.WriteBuffer(stored.Data(), n);
        }
        CheckEntries();
    } catch (...) {
        Clear();
        throw;
    }
}

void TBitmapList::WriteBitmaps(TStream& s) {
    for (const TTable* t : {&FImages, &FMasks}) {
        WriteInt32(s, static_cast<int32_t>(t->size()));
        for (const auto& e : *t) {
            WriteSizedString(s, e.Name);
            WriteInt32(s, e.Offset);
        }
    }
    s.WriteBuffer(KSignature, 6);
    WriteSizedString(s, KVersion);
    WriteUInt8(s, FCompressed ? 1 : 0);
    if (FCompressed && FArea.Size() > 0) {
        TBuffer packed;
        CompressBuffer(FArea.Memory(), static_cast<size_t>(FArea.Size()), packed);
        WriteInt32(s, static_cast<int32_t>(packed.Size()));
        s.WriteBuffer(packed.Data(), packed.Size());
    } else {
        WriteInt32(s, static_cast<int32_t>(FArea.Size()));
        s.WriteBuffer(FArea.Memory(), static_cast<size_t>(FArea.Size()));
    }
}

void TBitmapList::Properties(TPropFiler& f) {
    TComponent::Properties(f);
    f.Boolean("Compressed", FCompressed, [this](bool v) { SetCompressed(v); }, false);
}

void TBitmapList::DefineProperties(TPropFiler& f) {
    f.DefineBinaryProperty("Bitmaps", [this](TStream& s) { ReadBitmaps(s); }, [this](TStream& s) { WriteBitmaps(s); }, true);
}

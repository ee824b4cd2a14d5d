#include "controls/uBitmapList.h"
#include "base/AnsiStrings.h"
#include <algorithm>

TBitmapList::TBitmapList(TComponent* owner) : TComponent(owner) {}

TBitmapList::~TBitmapList() {
    Clear();
    // Each client unregisters itself while it drops the list, so walk a copy.
    std::vector<IBitmapListClient*> copy = FClients;
    for (IBitmapListClient* c : copy) c->SetBitmapList(nullptr);
    FClients.clear();
}

std::vector<std::string> TBitmapList::ImageNames() const {
    std::vector<std::string> r;
    for (int i = 0; i < FData.Images().GetCount(); ++i) r.push_back(FData.Images().KeyAt(i));
    return r;
}

void TBitmapList::NotifyClients(const std::string& name) {
    if (FUpdateCount > 0) return;
    std::vector<IBitmapListClient*> copy = FClients;
    for (IBitmapListClient* c : copy) {
        TStringList ids;
        c->GetImageIDs(ids);
        for (int i = 0; i < ids.Count(); ++i)
            if (AnsiCompareText(ids[i], name) == 0) c->ImageChanged();
    }
}

void TBitmapList::AddTo(const std::string& name, THash& table, TBitmap& bitmap) {
    TMemoryStream file;
    bitmap.SaveToStream(file);
    BeginUpdate();
    try {
        FData.AddTo(name, table, file.Memory(), static_cast<size_t>(file.Size()));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    NotifyClients(name);
}

void TBitmapList::DeleteFrom(const std::string& name, THash& table) {
    if (FData.DeleteFrom(name, table)) NotifyClients(name);
}

void TBitmapList::Add(const std::string& name, TBitmap& bitmap, TColor transparent) {
    AddTo(name, FData.Images(), bitmap);
    if (transparent != clNoTransparent) {
        TBitmap mask;
        MakeMask(&mask, &bitmap, transparent, false);
        mask.SetMonochrome(true);  // stored as a 1-bit file
        AddTo(name, FData.Masks(), mask);
    }
}

void TBitmapList::Delete(const std::string& name) {
    DeleteFrom(name, FData.Images());
    DeleteFrom(name, FData.Masks());
}

void TBitmapList::Clear() { FData.Clear(); }

void TBitmapList::CreateMask(const std::string& name, TColor transparent) {
    if (!HasBitmap(name)) return;
    TBitmap image, mask;
    GetBitmap(name, &image);
    MakeMask(&mask, &image, transparent, false);
    mask.SetMonochrome(true);
    AddTo(name, FData.Masks(), mask);
    NotifyClients(name);
}

void TBitmapList::DeleteMask(const std::string& name) { DeleteFrom(name, FData.Masks()); }

void TBitmapList::Replace(const std::string& name, TBitmap& bitmap) {
    DeleteFrom(name, FData.Images());
    AddTo(name, FData.Images(), bitmap);
}

void TBitmapList::Rename(const std::string& oldName, const std::string& newName) { FData.Rename(oldName, newName); }

void TBitmapList::Load(const THash& table, const std::string& name, TBitmap* bitmap) {
    if (!bitmap) return;
    if (TStream* file = FData.OpenFile(table, name)) bitmap->LoadFromStream(*file);
    else bitmap->Clear();
}

void TBitmapList::GetBitmap(const std::string& name, TBitmap* bitmap) { Load(FData.Images(), name, bitmap); }
void TBitmapList::GetMask(const std::string& name, TBitmap* bitmap) { Load(FData.Masks(), name, bitmap); }

void TBitmapList::RegisterClient(IBitmapListClient* client) {
    if (client && std::find(FClients.begin(), FClients.end(), client) == FClients.end()) FClients.push_back(client);
}

void TBitmapList::UnregisterClient(IBitmapListClient* client) {
    FClients.erase(std::remove(FClients.begin(), FClients.end(), client), FClients.end());
}

void TBitmapList::ReadBitmaps(TStream& s) {
    try {
        FData.ReadBitmaps(s);
    } catch (...) {
        Clear();
        throw;
    }
}


void TBitmapList::Properties(TPropFiler& f) {
    TComponent::Properties(f);
    f.Boolean("Compressed", FData.Compressed(), [this](bool v) { SetCompressed(v); }, false);
}

void TBitmapList::DefineProperties(TPropFiler& f) {
    f.DefineBinaryProperty("Bitmaps", [this](TStream& s) { ReadBitmaps(s); }, true);
}

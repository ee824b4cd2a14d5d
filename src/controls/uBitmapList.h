// TBitmapList: bitmaps stored under names, each optionally with a mask of the same name, as
// complete bitmap files in one byte area, streamed as the defined property "Bitmaps".
// Pictures are decoded only when a client asks for one.
#pragma once
#include "controls/uBitmapListClient.h"
#include "controls/uBitmapListStream.h"
#include "controls/uGraphUtils.h"
#include "framework/Component.h"
#include "framework/Graphics.h"
#include <string>
#include <vector>

class TBitmapList : public TComponent {
public:
    KESTRIN_CLASS(TBitmapList)
    explicit TBitmapList(TComponent* owner);
    ~TBitmapList() override;

    bool Compressed() const { return FData.Compressed(); }
    void SetCompressed(bool v) { FData.SetCompressed(v); }

    void Add(const std::string& name, TBitmap& bitmap, TColor transparent = clNoTransparent);
    void Delete(const std::string& name);
    void Clear();
    void CreateMask(const std::string& name, TColor transparent);
    void DeleteMask(const std::string& name);
    void Replace(const std::string& name, TBitmap& bitmap);
    void Rename(const std::string& oldName, const std::string& newName);
    void GetBitmap(const std::string& name, TBitmap* bitmap);
    void GetMask(const std::string& name, TBitmap* bitmap);
    bool HasBitmap(const std::string& name) const { return FData.HasBitmap(name); }
    std::vector<std::string> ImageNames() const;
    int64_t AreaSize() const { return FData.AreaSize(); }
    const TBitmapListData& Data() const { return FData; }

    void RegisterClient(IBitmapListClient* client);
    void UnregisterClient(IBitmapListClient* client);
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate() { --FUpdateCount; }

    // The "Bitmaps" property; a stream whose counts, names or offsets do not fit the data raises
    // EBitmapListError (or the decompression error of a bad zlib stream) and leaves the list empty.
    void ReadBitmaps(TStream& stream);
    void WriteBitmaps(TStream& stream);
    // The writer of "Bitmaps", for the programs that write forms (it brings the compressor;
    // uControlClasses.cpp).
    static void RegisterWriter();
    void Properties(TPropFiler& f) override;
    void DefineProperties(TPropFiler& f) override;

private:
    void AddTo(const std::string& name, THash& table, TBitmap& bitmap);
    void DeleteFrom(const std::string& name, THash& table);
    void Load(const THash& table, const std::string& name, TBitmap* bitmap);
    void NotifyClients(const std::string& name);

    TBitmapListData FData;
    std::vector<IBitmapListClient*> FClients;
    int FUpdateCount = 0;
};

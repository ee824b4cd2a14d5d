// TBitmapList: bitmaps stored under names, each optionally with a mask of the same name, as
// complete bitmap files in one byte area, streamed as the defined property "Bitmaps".
// Pictures are decoded only when a client asks for one.
#pragma once
#include "controls/uBitmapListClient.h"
#include "framework/Component.h"
#include "framework/Graphics.h"
#include <string>
#include <vector>

KESTRIN_EXCEPTION(EBitmapListReadError, EReadError);

class TBitmapList : public TComponent {
public:
    KESTRIN_CLASS(TBitmapList)
    explicit TBitmapList(TComponent* owner);
    ~TBitmapList() override;

    bool Compressed() const { return FCompressed; }
    void SetCompressed(bool v) { FCompressed = v; }

    void Add(const std::string& name, TBitmap& bitmap, TColor transparent = 0x1FFFFFFF);
    void Delete(const std::string& name);
    void Clear();
    void CreateMask(const std::string& name, TColor transparent);
    void DeleteMask(const std::string& name);
    void Replace(const std::string& name, TBitmap& bitmap);
    void Rename(const std::string& oldName, const std::string& newName);
    void GetBitmap(const std::string& name, TBitmap* bitmap);
    void GetMask(const std::string& name, TBitmap* bitmap);
    bool HasBitmap(const std::string& name) const { return Find(FImages, name) >= 0; }
    std::vector<std::string> ImageNames() const;
    int64_t AreaSize() { return FArea.Size(); }

    void RegisterClient(IBitmapListClient* client);
    void UnregisterClient(IBitmapListClient* client);
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate() { --FUpdateCount; }

    // The "Bitmaps" property; a stream whose counts, names or offsets do not fit the data raises
    // EBitmapListReadError and leaves the list empty.
    void ReadBitmaps(TStream& stream);
    void WriteBitmaps(TStream& stream);
    void Properties(TPropFiler& f) override;
    void DefineProperties(TPropFiler& f) override;

private:
    struct TEntry { std::string Name; int32_t Offset; };
    using TTable = std::vector<TEntry>;
    static int Find(const TTable& t, const std::string& name);
    static void Put(TTable& t, const std::string& name, int32_t offset);
    void AddTo(const std::string& name, TTable& t, TBitmap& bitmap);
    void DeleteFrom(const std::string& name, TTable& t);
    void LoadAt(int32_t offset, TBitmap& bitmap);
    void NotifyClients(const std::string& name);
    void ReadTable(TTable& t, TStream& s);
    void CheckEntries();

    TMemoryStream FArea;
    std::vector<IBitmapListClient*> FClients;
    int FUpdateCount = 0;
    TTable FImages;
    TTable FMasks;
    bool FCompressed = false;
};

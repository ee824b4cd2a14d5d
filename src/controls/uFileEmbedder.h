// TFileEmbedder: carries a whole file inside a form resource, as the defined property
// "EmbededData". The stored form and the writing out are TFileEmbedderData's.
#pragma once
#include "container/uFileEmbedderData.h"
#include "framework/Component.h"
#include <string>

class TFileEmbedder : public TComponent {
public:
    KESTRIN_CLASS(TFileEmbedder)
    explicit TFileEmbedder(TComponent* owner);

    const std::string& FileName() const { return FFileName; }
    // At design time a missing file is refused with a message; at run time any name is taken.
    void SetFileName(const std::string& name);
    bool Compressed() const { return FData.Compressed(); }
    void SetCompressed(bool v) { FData.SetCompressed(v); }

    // The carried bytes, from the first, to the stream's position; the data is not consumed.
    void SaveToStream(TStream& stream) { FData.SaveToStream(stream); }
    // Written beside the target and then given its name: never a half-written file.
    void SaveToFile(const std::string& fileName) { FData.SaveToFile(fileName); }
    TMemoryStream& Data() { return FData.Data(); }
    const TFileEmbedderData& EmbeddedData() const { return FData; }

    void Properties(TPropFiler& filer) override;
    void DefineProperties(TPropFiler& filer) override;
    // "EmbededData" from the named file; its writer is registered by the programs that write
    // forms (it brings the compressor; uFileEmbedderWriter.cpp).
    void WriteEmbeddedData(TStream& stream);
    static void RegisterWriter();

private:
    std::string FFileName;
    TFileEmbedderData FData;
};

// TFileEmbedder: carries a whole file inside a form resource, as the defined property
// "EmbededData" (32-bit byte count, then a zlib stream of the file or its raw bytes).
#pragma once
#include "framework/Component.h"
#include "base/Classes.h"
#include <string>

class TFileEmbedder : public TComponent {
public:
    KESTRIN_CLASS(TFileEmbedder)
    explicit TFileEmbedder(TComponent* owner);

    const std::string& FileName() const { return FFileName; }
    // At design time a missing file is refused with a message; at run time any name is taken.
    void SetFileName(const std::string& name);
    bool Compressed() const { return FCompressed; }
    void SetCompressed(bool v) { FCompressed = v; }

    // The carried bytes, from the first, to the stream's position; the data is not consumed.
    void SaveToStream(TStream& stream);
    void SaveToFile(const std::string& fileName);
    TMemoryStream& Data() { return FData; }

    void Properties(TPropFiler& filer) override;
    void DefineProperties(TPropFiler& filer) override;

private:
    void ReadData(TStream& stream);
    void WriteData(TStream& stream);

    std::string FFileName;
    TMemoryStream FData;
    bool FCompressed = true;
};

// The stored form of the data, shared with tools that build form resources.
void WriteEmbeddedData(TStream& stream, const void* data, size_t size, bool compressed);
void ReadEmbeddedData(TStream& stream, bool compressed, TMemoryStream& data);
// Shows a design-time message (a message box on Windows, standard error elsewhere), or hands it
// to the handler set, which tools and tests use to collect the messages instead.
void ShowDesignMessage(const std::string& text);
void SetDesignMessageHandler(void (*handler)(const std::string& text));

#include "container/uFileEmbedder.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"
#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace {
void (*GDesignMessageHandler)(const std::string&) = nullptr;
}

void SetDesignMessageHandler(void (*handler)(const std::string& text)) { GDesignMessageHandler = handler; }

void ShowDesignMessage(const std::string& text) {
    if (GDesignMessageHandler) {
        GDesignMessageHandler(text);
        return;
    }
#ifdef _WIN32
    MessageBoxA(nullptr, text.c_str(), "", MB_OK);
#else
    std::fprintf(stderr, "%s\n", text.c_str());
#endif
}

void WriteEmbeddedData(TStream& stream, const void* data, size_t size, bool compressed) {
    if (compressed) {
        WriteCompressedBlock(stream, data, size);
        return;
    }
    WriteInt32(stream, static_cast<int32_t>(size));
    stream.WriteBuffer(data, size);
}

void ReadEmbeddedData(TStream& stream, bool compressed, TMemoryStream& data) {
    data.Clear();
    if (compressed) {
        TBuffer plain = ReadCompressedBlock(stream);
        data.WriteBuffer(plain.Data(), plain.Size());
    } else {
        uint32_t n = ReadCheckedCount(stream, "Embedded data");
        if (n) data.CopyFrom(stream, n);
    }
    data.SetPosition(0);
}

TFileEmbedder::TFileEmbedder(TComponent* owner) : TComponent(owner) {}

void TFileEmbedder::SetFileName(const std::string& name) {
    if (IsDesigning() && !IsLoading() && !FileExists(name)) {
        ShowDesignMessage(name + " was not found");
        return;
    }
    FFileName = name;
}

void TFileEmbedder::SaveToStream(TStream& stream) {
    if (FData.Size() > 0) stream.WriteBuffer(FData.Memory(), static_cast<size_t>(FData.Size()));
}

void TFileEmbedder::SaveToFile(const std::string& fileName) {
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

void TFileEmbedder::Properties(TPropFiler& filer) {
    TComponent::Properties(filer);
    filer.String("FileName", FFileName, [this](const std::string& v) { SetFileName(v); });
    filer.Boolean("Compressed", FCompressed, [this](bool v) { SetCompressed(v); }, true);
}

void TFileEmbedder::DefineProperties(TPropFiler& filer) {
    filer.DefineBinaryProperty("EmbededData", [this](TStream& s) { ReadData(s); },
                               [this](TStream& s) { WriteData(s); }, !FFileName.empty());
}

void TFileEmbedder::ReadData(TStream& stream) { ReadEmbeddedData(stream, FCompressed, FData); }

void TFileEmbedder::WriteData(TStream& stream) {
    FData.Clear();
    if (FileExists(FFileName)) FData.LoadFromFile(FFileName);
    WriteEmbeddedData(stream, FData.Memory(), static_cast<size_t>(FData.Size()), FCompressed);
    FData.SetPosition(0);
}

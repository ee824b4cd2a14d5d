#include "controls/uFileEmbedder.h"

TFileEmbedder::TFileEmbedder(TComponent* owner) : TComponent(owner) {}

void TFileEmbedder::SetFileName(const std::string& name) {
    if (IsDesigning() && !IsLoading() && !FileExists(name)) {
        ShowDesignMessage(name + " was not found");
        return;
    }
    FFileName = name;
}

void TFileEmbedder::Properties(TPropFiler& filer) {
    TComponent::Properties(filer);
    filer.String("FileName", FFileName, [this](const std::string& v) { SetFileName(v); });
    filer.Boolean("Compressed", Compressed(), [this](bool v) { SetCompressed(v); }, true);
}

void TFileEmbedder::DefineProperties(TPropFiler& filer) {
    filer.DefineBinaryProperty("EmbededData", [this](TStream& s) { FData.ReadData(s); }, !FFileName.empty());
}

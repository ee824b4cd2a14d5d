// The file embedder's writer, for the programs that write forms: apart, so that one that only
// reads its form (the installer) links no compressor.
#include "controls/uFileEmbedder.h"

void TFileEmbedder::WriteEmbeddedData(TStream& stream) { FData.WriteDataFromFile(stream, FFileName); }

void TFileEmbedder::RegisterWriter() {
    RegisterBinaryPropertyWriter<TFileEmbedder, &TFileEmbedder::WriteEmbeddedData>("EmbededData");
}

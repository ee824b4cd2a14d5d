#include "uFileEmbedderData.h"
#include "base/FileOps.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"

namespace {

[[noreturn]] void Fail(const std::string& what) { throw EEmbeddedDataError("Embedded file: " + what); }

}  // namespace

bool TFileEmbedderData::LoadFromFile(const std::string& fileName) {
    FData.Clear();
    if (!FileExists(fileName)) return false;
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    if (file.Size() > MaxEmbeddedFileSize) Fail("\"" + fileName + "\" is too large");
    FData.LoadFromStream(file);
    FData.SetPosition(0);
    return true;
}

void TFileEmbedderData::ReadData(TStream& stream) {
    uint32_t n = ReadCheckedCount(stream, "Embedded file");
    TMemoryStream data;
    if (n > 0) {
        if (FCompressed) {
            TLimitedStreamSink sink(data, MaxEmbeddedFileSize, [] { Fail("too large"); });
            InflateFromStream(stream, n, sink);
        } else {
            if (n > MaxEmbeddedFileSize) Fail("too large");
            data.SetSize(n);
            stream.ReadBuffer(data.Memory(), n);
        }
    }
    FData.Clear();
    if (data.Size() > 0) FData.LoadFromStream(data);
    FData.SetPosition(0);
}

void TFileEmbedderData::SaveToStream(TStream& stream) const {
    stream.WriteBuffer(FData.Memory(), static_cast<size_t>(FData.Size()));
}

void TFileEmbedderData::SaveToFile(const std::string& fileName) const {
    WriteFileReplacing(fileName, [this](const std::string& scratch) {
        TFileStream file(scratch, fmCreate);
        SaveToStream(file);
    });
}

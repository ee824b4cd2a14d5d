// The file carried by the file embedder and its stored "EmbededData" property, apart from the
// component: a 32-bit byte count N, then N bytes, one zlib stream of the file when compressed,
// the file's own bytes otherwise. N = 0 with nothing behind it stands for a missing or empty file.
#pragma once
#include "base/Classes.h"
#include "base/SysUtils.h"
#include <string>

// A stored property that does not hold together, or a file too large to carry.
KESTRIN_EXCEPTION(EEmbeddedDataError, EReadError);

// The largest file carried: far above any uninstaller, below what would exhaust a 32-bit process.
const uint32_t MaxEmbeddedFileSize = 256u << 20;

class TFileEmbedderData {
public:
    TFileEmbedderData() = default;
    TFileEmbedderData(const TFileEmbedderData&) = delete;
    TFileEmbedderData& operator=(const TFileEmbedderData&) = delete;

    bool Compressed() const { return FCompressed; }
    void SetCompressed(bool value) { FCompressed = value; }
    // The carried bytes.
    TMemoryStream& Data() { return FData; }
    int64_t Size() const { return FData.Size(); }

    // Replaces the data with the whole file; a missing file leaves the data empty (false).
    bool LoadFromFile(const std::string& fileName);
    // Replaces the data with the stored property (under the current Compressed) and rewinds it.
    // Raises EEmbeddedDataError for counts past the data or an oversized file, EZDecompressionError
    // for a payload that does not inflate; the data is then unchanged.
    void ReadData(TStream& stream);
    // Writes the stored property of the current data.
    void WriteData(TStream& stream) const;
    // The property as the form's writer stores it: the file's bytes as they are now (nothing
    // when it is missing or empty).
    void WriteDataFromFile(TStream& stream, const std::string& fileName);

    // Copies all the data, from its first byte, to the stream's position; the data is not consumed.
    void SaveToStream(TStream& stream) const;
    // Writes the data as a new file of that name, replacing one that exists. The bytes go to a
    // scratch file beside it that then takes the name, so a failure leaves no partly written
    // file and the old file (if any) in place. Raises EFCreateError or EWriteError.
    void SaveToFile(const std::string& fileName) const;

private:
    mutable TMemoryStream FData;
    bool FCompressed = true;
};

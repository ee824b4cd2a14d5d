// The appended-data container: named items in a block behind an executable's image,
// ending in the signature "PLWS".
#pragma once
#include "base/Classes.h"
#include "base/SysUtils.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The last four bytes of every block.
inline constexpr char DataBlockSignature[4] = {'P', 'L', 'W', 'S'};

// A block whose trailer was found but whose lengths or counts do not fit the file.
KESTRIN_EXCEPTION(EDataBlockError, EReadError);

struct TItemType {
    std::string Name;
    TBuffer Data;             // the value after decompression; owned
    bool Compressed = false;  // stored, or to be stored, as a compressed block
    int32_t Size() const { return static_cast<int32_t>(Data.Size()); }
};
using TItemTypes = std::vector<TItemType>;

// Opens a file for reading while others may read, write or delete it, so that a running
// program can read its own executable.
class TFileReadStream : public TFileStream {
public:
    explicit TFileReadStream(const std::string& fileName) : TFileStream(fileName, fmOpenRead | fmShareDenyNone) {}
};

std::string XorItemName(const std::string& text, int32_t key);

// Leaves the stream at the item count and the stored name key in `key`.
bool FindDataBlock(const std::string& fileName, TStream& stream, int32_t& key);

// The first item of that name, or a cleared item; returns whether it was found. Raises EImageBlockException for a file
// that neither ends with a block nor is a PE image, EDataBlockError for a damaged block and
// EZDecompressionError for a value that does not inflate.
bool ReadItem(const std::string& fileName, const std::string& itemName, TItemType& item);
// The first item of that name as text; false (and `text` empty) when there is none or the file
// or its block cannot be read. Never raises.
bool ReadItemText(const std::string& fileName, const std::string& itemName, std::string& text);
// All items in stored order; empty when there is no block. On any error `items` is left empty.
void ReadItems(const std::string& fileName, TItemTypes& items);
// The same, from a stream whose whole content is the file; `name` stands for it in messages.
// The file-name forms open the file and read it through these.
bool ReadItem(TStream& stream, const std::string& name, const std::string& itemName, TItemType& item);
void ReadItems(TStream& stream, const std::string& name, TItemTypes& items);
void FreeItem(TItemType& item);
void FreeItems(TItemTypes& items);

// One record as it is stored, before its value is read.
struct TItemRecord {
    std::string Name;          // plain text
    bool Compressed = false;
    uint32_t StoredLength = 0;
    int64_t ValuePosition = 0;
};

// Walks the records of a file's block, checking every length against the block.
class TDataBlockReader {
public:
    // Opens the file and reads from it.
    explicit TDataBlockReader(const std::string& fileName);
    // Reads a stream whose whole content is the file, named `name` in messages; the stream
    // must outlive the reader.
    TDataBlockReader(TStream& stream, const std::string& name);
    bool Found() const { return FFound; }
    int32_t Key() const { return FKey; }
    int32_t Count() const { return FCount; }
    // Reads the next record's header and leaves the stream at its value; false after the last.
    bool Next(TItemRecord& record);
    // Decodes the value of the record Next returned last.
    void ReadValue(const TItemRecord& record, TItemType& item);
    void SkipValue(const TItemRecord& record);
    // True when the records end exactly where the block says they do.
    bool AtEndOfRecords() { return FStream.Position() == FRecordsEnd; }
    TStream& Stream() { return FStream; }

private:
    void Open();
    [[noreturn]] void Damaged(const std::string& what) const;
    std::unique_ptr<TFileReadStream> FFile;  // set when the reader opened the file itself
    TStream& FStream;
    std::string FName;
    bool FFound = false;
    int32_t FKey = 0;
    int32_t FCount = 0;
    int32_t FIndex = 0;
    int64_t FRecordsEnd = 0;
};

class TWriteHelper {
public:
    TWriteHelper() = default;
    ~TWriteHelper() = default;
    TWriteHelper(const TWriteHelper&) = delete;
    TWriteHelper& operator=(const TWriteHelper&) = delete;

    // A compressed value is deflated here, at once (uExeAdderPack.cpp, with the compressor).
    void AddItem(const std::string& name, const void* data, bool compressed, int32_t size);
    void AddString(const std::string& name, const std::string& text);
    // Adds a value stored as it is, without the compressor: for a program that writes only
    // small values (the installer's identifier on the uninstaller).
    void AddUncompressed(const std::string& name, const void* data, size_t size);
    // Adds a value that is already one zlib stream (made with CompressBuffer), stored as it is,
    // so that a caller can compress a large payload while it does other work.
    void AddCompressedStream(const std::string& name, TBuffer&& zlibStream);
    // Appends one block to an existing file; a missing file is skipped. On any failure the
    // file is cut back to its old length. (The writer lives in uExeAdderWriter.cpp.)
    void SaveToExe(const std::string& fileName, uint8_t trailingDataFlag);

private:
    struct TPendingItem {
        TItemType Item;
        bool Packed = false;  // Data holds the stored zlib stream
    };
    // 17 to 255, drawn from the names, flags and values (uExeAdderWriter.cpp).
    int32_t ContentKey() const;
    std::vector<TPendingItem> FItems;
};

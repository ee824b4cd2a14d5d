// An in-memory model of a 32-bit PE executable: headers and each section's raw data as
// separate blocks of bytes, enough to find where the image ends and to swap a section.
#pragma once
#include "base/Classes.h"
#include "base/Endian.h"
#include "base/SysUtils.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Raised for anything that is not a loadable PE32 image; its message is always "Bad Signature".
class EImageBlockException : public EReadError {
public:
    EImageBlockException() : EReadError("Bad Signature") {}
};

class TPEImage;

class TImageBlock {
public:
    TImageBlock(TPEImage* image, int32_t size) : Image(image), Size(size) {}
    virtual ~TImageBlock() = default;
    TImageBlock(const TImageBlock&) = delete;
    TImageBlock& operator=(const TImageBlock&) = delete;

    // Gives the block exactly `size` bytes: what the stream still has from `position`
    // (the current position when negative), zeros for the rest.
    virtual void LoadFromStream(TStream& stream, int64_t position, int32_t size);
    virtual void Reload(TStream& stream, int64_t position) { LoadFromStream(stream, position, Size); }
    // Writes the block at `position` (the current position when negative), extending the stream.
    virtual void SaveToStream(TStream& stream, int64_t position);

    uint8_t* View() { return Bytes.Memory(); }
    const uint8_t* View() const { return Bytes.Memory(); }

    TPEImage* Image;
    TMemoryStream Bytes;
    int32_t Size;
};

class THeaderBlock : public TImageBlock { using TImageBlock::TImageBlock; };

class TDOSHeader : public THeaderBlock {
public:
    TDOSHeader(TPEImage* image, TStream& stream);
    uint32_t e_lfanew() const { return GetLE32(View() + 60); }
};

// The signature, the file header and the optional header of a PE32 image.
class TNTHeaders : public THeaderBlock {
public:
    enum { FileHeaderOffset = 4, OptionalHeaderOffset = 24, DefaultOptionalHeaderSize = 224 };
    // Data-directory indices (not the usual names: the system headers define those as macros).
    enum { DirectoryResource = 2, DirectorySecurity = 4, DirectoryBaseReloc = 5 };
    TNTHeaders(TPEImage* image, TStream& stream, int64_t position);

    uint16_t NumberOfSections() const { return GetLE16(View() + 6); }
    void SetNumberOfSections(uint16_t v) { SetLE16(View() + 6, v); }
    uint16_t SizeOfOptionalHeader() const { return GetLE16(View() + 20); }
    uint16_t Magic() const { return GetLE16(View() + 24); }
    uint32_t SectionAlignment() const { return GetLE32(View() + 56); }
    uint32_t FileAlignment() const { return GetLE32(View() + 60); }
    uint32_t SizeOfImageField() const { return GetLE32(View() + 80); }
    void SetSizeOfImageField(uint32_t v) { SetLE32(View() + 80, v); }
    uint32_t SizeOfHeaders() const { return GetLE32(View() + 84); }
    uint32_t NumberOfRvaAndSizes() const { return GetLE32(View() + 116); }
    // Data directories beyond NumberOfRvaAndSizes or the optional header read as empty.
    bool HasDataDirectory(unsigned index) const;
    uint32_t DataDirectoryAddress(unsigned index) const;
    uint32_t DataDirectorySize(unsigned index) const;
    void SetDataDirectory(unsigned index, uint32_t address, uint32_t size);

    uint32_t SizeOfImage = 0;  // copy kept beside the header field
};

class TSectionHeader;

class TDataBlock : public TImageBlock {
public:
    TDataBlock(TPEImage* image, int32_t size, int64_t position) : TImageBlock(image, size), Position(position) {}
    void Save(TStream& stream) { SaveToStream(stream, Position); }
    int64_t Position;
};

class TSectionData : public TDataBlock {
public:
    TSectionData(TPEImage* image, int32_t size, int64_t position, TStream& stream, TSectionHeader* header);
    void LoadFromStream(TStream& stream, int64_t position, int32_t size) override;
    TSectionHeader* Header;
    uint32_t OldSize = 0;
    uint32_t DataLength = 0;
};

class TSectionHeader : public TImageBlock {
public:
    enum { HeaderSize = 40 };
    TSectionHeader(TPEImage* image, TStream& stream, int64_t position);
    void Reload(TStream& stream, int64_t position) override;
    void SaveToStream(TStream& stream, int64_t position) override;

    std::string Name() const;  // up to 8 characters
    uint32_t VirtualSize() const { return GetLE32(View() + 8); }
    void SetVirtualSize(uint32_t v) { SetLE32(View() + 8, v); }
    uint32_t VirtualAddress() const { return GetLE32(View() + 12); }
    void SetVirtualAddress(uint32_t v) { SetLE32(View() + 12, v); }
    uint32_t SizeOfRawData() const { return GetLE32(View() + 16); }
    void SetSizeOfRawData(uint32_t v) { SetLE32(View() + 16, v); }
    uint32_t PointerToRawData() const { return GetLE32(View() + 20); }
    void SetPointerToRawData(uint32_t v) { SetLE32(View() + 20, v); }
    uint32_t Characteristics() const { return GetLE32(View() + 36); }
    bool HasRawData() const { return SizeOfRawData() != 0 && PointerToRawData() != 0; }

    std::unique_ptr<TSectionData> SectionData;
};

class TPEImage {
public:
    TPEImage() = default;
    explicit TPEImage(const std::string& fileName);
    virtual ~TPEImage() { Clear(); }
    TPEImage(const TPEImage&) = delete;
    TPEImage& operator=(const TPEImage&) = delete;

    void LoadFromFile(const std::string& fileName);  // a missing file leaves the image empty
    void LoadFromStream(TStream& stream);             // the whole stream is the file
    void SaveToFile(const std::string& fileName);
    void SaveToStream(TStream& stream);
    virtual void Save() { SaveToFile(FileName); }

    TSectionHeader* FindSection(const std::string& name) const;
    // End of the section data that lies last in the file: where appended data begins.
    uint32_t EndOfImage() const;
    void UpdateSizeOfImage();
    void Clear();

    std::string FileName;
    std::unique_ptr<TDOSHeader> DOSHeader;
    std::unique_ptr<TNTHeaders> NTHeaders;
    std::vector<std::unique_ptr<TSectionHeader>> Sections;
    std::unique_ptr<TDataBlock> HeaderGap;
    int64_t FileSize = 0;
};

// What a file's headers say it is. The model above takes 32-bit images only; this reads no more
// than the DOS header, the NT signature, the file header and the start of the optional header,
// so it also tells 64-bit images apart, and never raises for what it reads.
enum class TPEFileKind {
    NotAnImage,  // no DOS header, NT signature or known optional header (also when cut short)
    Program,     // marked executable, not a DLL, for the Windows GUI or console subsystem
    Library,     // a DLL
    OtherImage,  // an image not meant to be started: a driver, a boot image, not marked executable
};
struct TPEFileFacts {
    TPEFileKind Kind = TPEFileKind::NotAnImage;
    bool Wide = false;        // PE32+ (64-bit)
    uint16_t Subsystem = 0;
};
TPEFileFacts ReadPEFileFacts(TStream& stream);

// Interprets one section; a derived class names the section it accepts and calls Attach
// from its constructor (a base constructor cannot reach the derived overrides).
class TSectionDataOperator {
public:
    explicit TSectionDataOperator(TSectionHeader* sectionHeader) : SectionHeader(sectionHeader) {}
    virtual ~TSectionDataOperator() = default;
    virtual std::string GetSectionName() const { return std::string(); }
    virtual void Parse() {}
    TSectionHeader* SectionHeader;
protected:
    // Raises EImageBlockException when there is no section or it is not the accepted one.
    void Attach();
};

class TChangeableDataOperator : public TSectionDataOperator {
    using TSectionDataOperator::TSectionDataOperator;
};

// Same comparison as FindSection: case-insensitive over at most 8 characters.
bool SameSectionName(const std::string& a, const std::string& b);

inline uint32_t AlignUp(uint32_t value, uint32_t alignment) {
    return alignment ? (value + alignment - 1) & ~(alignment - 1) : value;
}
inline bool HighBitSet(uint32_t value) { return (value & 0x80000000u) != 0; }
inline uint32_t SetHighBit(uint32_t value) { return value | 0x80000000u; }
inline uint32_t ClearHighBit(uint32_t value) { return value & 0x7FFFFFFFu; }

#include "uPEUtils.h"
#include <algorithm>
#include <cctype>
#include <cstring>

void TImageBlock::LoadFromStream(TStream& stream, int64_t position, int32_t size) {
    Bytes.Clear();
    Size = size < 0 ? 0 : size;
    if (Size == 0) return;
    if (position >= 0) stream.SetPosition(position);
    int64_t count = std::min<int64_t>(Size, stream.Remaining());
    Bytes.SetSize(Size);  // zero-filled
    if (count > 0) stream.ReadBuffer(Bytes.Memory(), static_cast<size_t>(count));
}

void TImageBlock::SaveToStream(TStream& stream, int64_t position) {
    if (Size == 0) return;
    int64_t end = (position > 0 ? position : 0) + Size;
    if (stream.Size() < end) stream.SetSize(end);
    if (position >= 0) stream.SetPosition(position);
    stream.WriteBuffer(Bytes.Memory(), static_cast<size_t>(Bytes.Size()));
}

TDOSHeader::TDOSHeader(TPEImage* image, TStream& stream) : THeaderBlock(image, 256) {
    Reload(stream, 0);
    if (View()[0] != 'M' || View()[1] != 'Z') throw EImageBlockException();
    uint32_t lfanew = e_lfanew();
    // The NT headers must lie behind the DOS header and inside the file.
    if (lfanew < 64 || static_cast<int64_t>(lfanew) + TNTHeaders::OptionalHeaderOffset > stream.Size())
        throw EImageBlockException();
    Size = static_cast<int32_t>(lfanew);
    Reload(stream, 0);
}

TNTHeaders::TNTHeaders(TPEImage* image, TStream& stream, int64_t position)
    : THeaderBlock(image, OptionalHeaderOffset + DefaultOptionalHeaderSize) {
    Reload(stream, position);
    if (std::memcmp(View(), "PE\0\0", 4) != 0) throw EImageBlockException();
    // Only the 32-bit optional header is understood; it must at least reach the directory count.
    if (Magic() != 0x10B || SizeOfOptionalHeader() < 96) throw EImageBlockException();
    int32_t size = OptionalHeaderOffset + SizeOfOptionalHeader();
    if (position + size + int64_t(NumberOfSections()) * TSectionHeader::HeaderSize > stream.Size())
        throw EImageBlockException();
    if (size != Size) { Size = size; Reload(stream, position); }
    SizeOfImage = SizeOfImageField();
}

bool TNTHeaders::HasDataDirectory(unsigned index) const {
    return index < NumberOfRvaAndSizes() && 120 + 8 * (index + 1) <= static_cast<unsigned>(Size);
}

uint32_t TNTHeaders::DataDirectoryAddress(unsigned index) const {
    return HasDataDirectory(index) ? GetLE32(View() + 120 + 8 * index) : 0;
}

uint32_t TNTHeaders::DataDirectorySize(unsigned index) const {
    return HasDataDirectory(index) ? GetLE32(View() + 124 + 8 * index) : 0;
}

void TNTHeaders::SetDataDirectory(unsigned index, uint32_t address, uint32_t size) {
    if (!HasDataDirectory(index)) return;
    SetLE32(View() + 120 + 8 * index, address);
    SetLE32(View() + 124 + 8 * index, size);
}

TSectionData::TSectionData(TPEImage* image, int32_t size, int64_t position, TStream& stream, TSectionHeader* header)
    : TDataBlock(image, size, position), Header(header) {
    Reload(stream, position);
    OldSize = static_cast<uint32_t>(Size);
}

void TSectionData::LoadFromStream(TStream& stream, int64_t position, int32_t size) {
    TDataBlock::LoadFromStream(stream, position, size);
    DataLength = static_cast<uint32_t>(Size);
}

TSectionHeader::TSectionHeader(TPEImage* image, TStream& stream, int64_t position) : TImageBlock(image, HeaderSize) {
    Reload(stream, position);
}

void TSectionHeader::Reload(TStream& stream, int64_t position) {
    TImageBlock::Reload(stream, position);
    int64_t fileSize = stream.Size();
    uint32_t size = SizeOfRawData(), pointer = PointerToRawData();
    if (pointer == 0) size = 0;  // no place in the file: treated as uninitialised data
    // Raw data may run past the end of a truncated file (the rest reads as zeros), but a
    // section that starts past the end or is larger than the file is not a real image.
    if (size != 0 && (size > fileSize || size > 0x7FFFFFFFu || pointer >= fileSize)) throw EImageBlockException();
    SectionData = std::make_unique<TSectionData>(Image, static_cast<int32_t>(size), pointer, stream, this);
}

void TSectionHeader::SaveToStream(TStream& stream, int64_t position) {
    TImageBlock::SaveToStream(stream, position);
    if (SectionData) SectionData->SaveToStream(stream, PointerToRawData());
}

std::string TSectionHeader::Name() const {
    const char* p = reinterpret_cast<const char*>(View());
    return std::string(p, strnlen(p, 8));
}

bool SameSectionName(const std::string& a, const std::string& b) {
    std::string x = a.substr(0, 8), y = b.substr(0, 8);
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(x[i])) != std::tolower(static_cast<unsigned char>(y[i])))
            return false;
    return true;
}

TPEImage::TPEImage(const std::string& fileName) : FileName(fileName) { LoadFromFile(fileName); }

void TPEImage::Clear() {
    DOSHeader.reset();
    NTHeaders.reset();
    HeaderGap.reset();
    Sections.clear();
    FileSize = 0;
}

void TPEImage::LoadFromFile(const std::string& fileName) {
    Clear();
    if (!FileExists(fileName)) return;
    TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
    LoadFromStream(file);
}

void TPEImage::LoadFromStream(TStream& stream) {
    Clear();
    try {
        FileSize = stream.Size();
        DOSHeader = std::make_unique<TDOSHeader>(this, stream);
        int64_t p = DOSHeader->e_lfanew();
        NTHeaders = std::make_unique<TNTHeaders>(this, stream, p);
        p += NTHeaders->Size;
        uint32_t lowest = UINT32_MAX;
        int64_t loaded = 0;
        for (unsigned i = 0; i < NTHeaders->NumberOfSections(); ++i) {
            auto header = std::make_unique<TSectionHeader>(this, stream, p);
            // Sections without raw data (.bss) lie nowhere in the file and must not shrink the gap.
            // Raw data inside the headers would be written over them on save.
            if (header->HasRawData() && header->PointerToRawData() < p + 40 * (NTHeaders->NumberOfSections() - i))
                throw EImageBlockException();
            if (header->HasRawData()) lowest = std::min(lowest, header->PointerToRawData());
            loaded += header->SectionData->Size;
            if (loaded > 2 * FileSize + 4096) throw EImageBlockException();
            Sections.push_back(std::move(header));
            p += TSectionHeader::HeaderSize;
        }
        // Sections whose raw data overlap cannot be written back as they were read.
        std::vector<std::pair<uint32_t, uint32_t>> ranges;
        for (auto& section : Sections)
            if (section->HasRawData()) ranges.emplace_back(section->PointerToRawData(), section->SectionData->Size);
        std::sort(ranges.begin(), ranges.end());
        for (size_t i = 1; i < ranges.size(); ++i)
            if (uint64_t(ranges[i - 1].first) + ranges[i - 1].second > ranges[i].first) throw EImageBlockException();
        // No section data lies inside the headers (refused above), so the gap is never negative.
        int64_t gap = lowest == UINT32_MAX || lowest < p ? 0 : lowest - p;
        HeaderGap = std::make_unique<TDataBlock>(this, static_cast<int32_t>(gap), p);
        HeaderGap->Reload(stream, p);
    } catch (...) {
        Clear();
        throw;
    }
}

TPEFileFacts ReadPEFileFacts(TStream& stream) {
    enum { Characteristics = 22, Magic = 24, Subsystem = 24 + 68, Needed = Subsystem + 2 };
    enum : uint16_t { ExecutableImage = 0x0002, Dll = 0x2000, GuiSubsystem = 2, ConsoleSubsystem = 3 };
    TPEFileFacts facts;
    uint32_t lfanew;
    try {
        lfanew = TDOSHeader(nullptr, stream).e_lfanew();
    } catch (const EReadError&) {
        return facts;
    }
    if (int64_t(lfanew) + Needed > stream.Size()) return facts;
    uint8_t h[Needed];
    stream.SetPosition(lfanew);
    stream.ReadBuffer(h, sizeof h);
    const uint16_t magic = GetLE16(h + Magic);
    // The subsystem field must lie inside the optional header the file header declares.
    if (std::memcmp(h, "PE\0\0", 4) != 0 || (magic != 0x10B && magic != 0x20B) ||
        GetLE16(h + TNTHeaders::FileHeaderOffset + 16) < Subsystem + 2 - TNTHeaders::OptionalHeaderOffset)
        return facts;
    facts.Wide = magic == 0x20B;
    facts.Subsystem = GetLE16(h + Subsystem);
    const uint16_t flags = GetLE16(h + Characteristics);
    if (flags & Dll) facts.Kind = TPEFileKind::Library;
    else if ((flags & ExecutableImage) && (facts.Subsystem == GuiSubsystem || facts.Subsystem == ConsoleSubsystem))
        facts.Kind = TPEFileKind::Program;
    else facts.Kind = TPEFileKind::OtherImage;
    return facts;
}

void TPEImage::SaveToStream(TStream& stream) {
    if (!DOSHeader || !NTHeaders) return;
    DOSHeader->SaveToStream(stream, 0);
    NTHeaders->SaveToStream(stream, DOSHeader->Size);
    int64_t p = DOSHeader->Size + NTHeaders->Size;
    for (auto& section : Sections) {
        section->SaveToStream(stream, p);
        p += section->Size;
    }
    HeaderGap->Save(stream);
    FileSize = stream.Size();
}

void TPEImage::SaveToFile(const std::string& fileName) {
    // Build the whole image first, so that a failure never leaves a half-written file.
    TMemoryStream image;
    SaveToStream(image);
    image.SaveToFile(fileName);
    FileSize = image.Size();
}

TSectionHeader* TPEImage::FindSection(const std::string& name) const {
    for (auto& section : Sections)
        if (SameSectionName(section->Name(), name)) return section.get();
    return nullptr;
}

uint32_t TPEImage::EndOfImage() const {
    uint32_t end = 0;
    for (auto& section : Sections)
        if (section->HasRawData()) end = std::max(end, section->PointerToRawData() + section->SizeOfRawData());
    return end;
}

void TPEImage::UpdateSizeOfImage() {
    if (!NTHeaders || Sections.empty()) return;
    uint32_t alignment = NTHeaders->SectionAlignment();
    uint32_t size = Sections.front()->VirtualAddress();
    for (auto& section : Sections) size += AlignUp(section->VirtualSize(), alignment);
    NTHeaders->SetSizeOfImageField(size);
    NTHeaders->SizeOfImage = size;
}

void TSectionDataOperator::Attach() {
    if (!SectionHeader || !SameSectionName(SectionHeader->Name(), GetSectionName())) throw EImageBlockException();
    Parse();
}

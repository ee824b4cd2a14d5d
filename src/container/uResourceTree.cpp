#include "uResourceTree.h"
#include "base/CodePage.h"
#include "container/uIconFile.h"
#include <algorithm>
#include <cstring>
#include <set>

const char* const ResourceTypeNames[25] = {
    "Unknown 0", "Cursor", "Bitmap", "Icon", "Menu", "Dialog", "String", "Font Directory", "Font",
    "Accelerator", "RCData", "MessageTable", "Group Cursor", "Unknown 13", "Group Icon", "Unknown 15",
    "Version", "Dialog Include", "Unkonwn 18", "Plug Play", "VxD", "Animation Cursor", "Animation Icon",
    "Unknown 23", "Manifest"};

namespace {

enum : uint32_t {
    RT_ICON_TYPE = 3, RT_GROUP_ICON_TYPE = 14,
    SCN_CNT_CODE = 0x00000020, SCN_MEM_DISCARDABLE = 0x02000000, SCN_MEM_EXECUTE = 0x20000000,
};
// Offsets into TNTHeaders' bytes (signature, file header, optional header).
enum { PointerToSymbolTableAt = 12, NumberOfSymbolsAt = 16, SizeOfInitializedDataAt = 32, CheckSumAt = 88 };
// Data-directory indices (windows.h defines the usual names as macros).
enum : unsigned { DirResource = 2, DirSecurity = 4, DirBaseReloc = 5, DirDebug = 6 };
enum { DirectoryHeaderSize = 16, EntrySize = 8, DataEntrySize = 16, DebugEntrySize = 28 };

std::string Decimal(uint32_t v) { return std::to_string(v); }

// The 8-bit form of a stored name is in the ANSI code page.
std::string NarrowName(const std::u16string& wide) { return Utf16ToAnsi(wide); }
std::u16string WidenName(const std::string& narrow) { return AnsiToUtf16(narrow); }

void WriteLE32(TStream& s, uint32_t v) {
    uint8_t b[4];
    SetLE32(b, v);
    s.WriteBuffer(b, 4);
}
void WriteLE16(TStream& s, uint16_t v) {
    uint8_t b[2];
    SetLE16(b, v);
    s.WriteBuffer(b, 2);
}
void Pad(TStream& s, uint32_t alignment) {
    static const uint8_t zeros[64] = {};
    int64_t size = s.Position();
    int64_t target = AlignUp(static_cast<uint32_t>(size), alignment);
    while (size < target) {
        size_t n = static_cast<size_t>(std::min<int64_t>(target - size, sizeof zeros));
        s.WriteBuffer(zeros, n);
        size += n;
    }
}
void Patch(TStream& s, int64_t at, uint32_t v) {
    int64_t end = s.Position();
    s.SetPosition(at);
    WriteLE32(s, v);
    s.SetPosition(end);
}

}  // namespace

std::string ResourceNameUpper(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// ---------------------------------------------------------------------------------------------
// TResourceItem

TResourceItem::TResourceItem(TResourceDataOperator* op, TResourceItem* parent)
    : Parent(parent), Level(parent ? static_cast<uint8_t>(parent->Level + 1) : 0), Operator(op) {}

TResourceItem* TResourceItem::Append(std::unique_ptr<TResourceItem> child) {
    if (child->Named) ++NumberOfNamedEntries; else ++NumberOfIdEntries;
    Children.push_back(std::move(child));
    return Children.back().get();
}

TResourceItem* TResourceItem::AddChild(uint8_t permittedParentLevels, bool named) {
    if (Level > 7 || !(permittedParentLevels & (1u << Level))) return nullptr;
    auto child = std::make_unique<TResourceItem>(Operator, this);
    child->Named = named;
    if (named) ++NumberOfNamedEntries; else ++NumberOfIdEntries;
    // A directory lists its string entries before its numbered ones.
    auto at = Children.end();
    if (named)
        at = std::find_if(Children.begin(), Children.end(), [](const auto& c) { return !c->Named; });
    return Children.insert(at, std::move(child))->get();
}

TResourceItem* TResourceItem::AddId(uint32_t number) {
    if (Level != TypeLevel) return nullptr;
    TResourceItem* child = AddChild(1u << TypeLevel, false);
    child->Number = number;
    child->Name = Decimal(number);
    child->TypeId = TypeId;
    child->TypeNumber = TypeNumber;
    // Numbered entries stay in ascending order, which lookups by binary search rely on.
    auto it = std::find_if(Children.begin(), Children.end(), [](const auto& c) { return !c->Named; });
    auto self = std::find_if(it, Children.end(), [child](const auto& c) { return c.get() == child; });
    std::unique_ptr<TResourceItem> owned = std::move(*self);
    Children.erase(self);
    it = std::find_if(Children.begin(), Children.end(),
                      [number](const auto& c) { return !c->Named && c->Number > number; });
    return Children.insert(it, std::move(owned))->get();
}

TResourceItem* TResourceItem::AddData(const void* bytes, size_t size, uint32_t language) {
    if (Level != NameLevel) return nullptr;
    TResourceItem* leaf = AddChild(1u << NameLevel, false);
    leaf->Name = Name;
    leaf->WideName = WideName;
    leaf->Named = Named;
    leaf->Number = Number;
    leaf->TypeId = TypeId;
    leaf->TypeNumber = TypeNumber;
    leaf->Id = language;
    if (size) leaf->Data.WriteBuffer(bytes, size);
    leaf->Data.SetPosition(0);
    return leaf;
}

void TResourceItem::ClearChildren() {
    Children.clear();
    NumberOfNamedEntries = NumberOfIdEntries = 0;
}

void TResourceItem::RemoveChild(TResourceItem* child) {
    auto it = std::find_if(Children.begin(), Children.end(), [child](const auto& c) { return c.get() == child; });
    if (it == Children.end()) return;
    if ((*it)->Named) --NumberOfNamedEntries; else --NumberOfIdEntries;
    Children.erase(it);
}

void TResourceItem::ReplaceData(TStream& stream, int64_t size) {
    Data.Clear();
    if (size > 0) Data.CopyFrom(stream, size);
    Data.SetPosition(0);
}

void TResourceItem::SetStringName(const std::string& name) {
    Name = name;
    WideName = WidenName(name);
}

bool TResourceItem::IsEmitted() const {
    if (Level >= LanguageLevel) return true;
    for (const auto& c : Children)
        if (c->IsEmitted()) return true;
    return false;
}

namespace {

struct TTreeWriter {
    explicit TTreeWriter(TStream& s) : S(s) {}
    TStream& S;
    int Pass = 0;
    std::vector<TResourceItem*> Names, Leaves;

    void EmitDirectory(TResourceItem* dir) {
        if (dir->Parent) Patch(S, dir->SlotPosition, SetHighBit(static_cast<uint32_t>(S.Position())));
        uint16_t named = 0, ids = 0;
        for (const auto& c : dir->Children)
            if (c->IsEmitted()) (c->Named && c->Level < TResourceItem::LanguageLevel ? named : ids)++;
        WriteLE32(S, dir->Characteristics);
        WriteLE32(S, dir->TimeDateStamp);
        WriteLE16(S, dir->MajorVersion);
        WriteLE16(S, dir->MinorVersion);
        WriteLE16(S, named);
        WriteLE16(S, ids);
    }

    void Visit(TResourceItem* node) {
        bool first = true;
        for (const auto& child : node->Children) {
            TResourceItem* c = child.get();
            if (!c->IsEmitted()) continue;
            if (c->Level == Pass) {
                if (first) EmitDirectory(node);
                first = false;
                if (c->Level == TResourceItem::LanguageLevel) {
                    WriteLE32(S, c->Id);
                    Leaves.push_back(c);
                } else if (c->Named) {
                    WriteLE32(S, 0);  // the string's offset, patched once the strings are placed
                    Names.push_back(c);
                } else {
                    WriteLE32(S, c->Number);
                }
                c->SlotPosition = static_cast<int32_t>(S.Position());
                WriteLE32(S, 0);
            } else if (c->Level < Pass) {
                Visit(c);
            }
        }
    }
};

}  // namespace

uint32_t TResourceItem::WriteTree(TStream& stream) {
    TTreeWriter w(stream);
    if (!IsEmitted()) w.EmitDirectory(this);  // an empty tree still has its root directory
    for (w.Pass = TypeLevel; w.Pass <= LanguageLevel; ++w.Pass) w.Visit(this);
    for (TResourceItem* leaf : w.Leaves) {
        Patch(stream, leaf->SlotPosition, static_cast<uint32_t>(stream.Position()));
        leaf->SlotPosition = static_cast<int32_t>(stream.Position());
        WriteLE32(stream, 0);
        WriteLE32(stream, leaf->DataSize());
        WriteLE32(stream, leaf->CodePage);
        WriteLE32(stream, 0);
    }
    for (TResourceItem* node : w.Names) {
        Pad(stream, 2);
        Patch(stream, node->SlotPosition - 4, SetHighBit(static_cast<uint32_t>(stream.Position())));
        size_t count = std::min<size_t>(node->WideName.size(), 0xFFFF);
        WriteLE16(stream, static_cast<uint16_t>(count));
        for (size_t i = 0; i < count; ++i) WriteLE16(stream, node->WideName[i]);
    }
    uint32_t rva = Operator ? Operator->SectionRVA : 0;
    for (TResourceItem* leaf : w.Leaves) {
        Pad(stream, 4);
        Patch(stream, leaf->SlotPosition, rva + static_cast<uint32_t>(stream.Position()));
        if (leaf->DataSize()) stream.WriteBuffer(leaf->Data.Memory(), leaf->DataSize());
    }
    uint32_t length = static_cast<uint32_t>(stream.Position());
    TPEImage* image = Operator && Operator->SectionHeader ? Operator->SectionHeader->Image : nullptr;
    if (image && image->NTHeaders) Pad(stream, image->NTHeaders->FileAlignment());
    return length;
}

// ---------------------------------------------------------------------------------------------
// Reading

// Reads the stored tree, trusting nothing: every offset and count is checked against the
// section, each directory, entry and data entry is read at most once (no cycles, no sharing), and
// the copied resource bytes cannot exceed the section's size. Whatever fails a check is
// left out and counted.
class TResourceReader {
public:
    TResourceReader(TResourceDataOperator* op, const uint8_t* base, uint32_t size)
        : Op(op), B(base), Size(size), Directories(size), Entries(size), DataEntries(size) {}

    void ReadDirectory(TResourceItem* node, uint32_t offset) {
        if (!ClaimDirectory(offset)) {
            ++Op->DamagedEntries;
            return;
        }
        ReadClaimedDirectory(node, offset);
    }

private:
    // Marks an offset inside the section as read; false when it already was.
    static bool FirstVisit(std::vector<bool>& seen, uint32_t offset) {
        if (seen[offset]) return false;
        seen[offset] = true;
        return true;
    }

    // True, and marked as read, when a directory fits at the offset and was not read before.
    bool ClaimDirectory(uint32_t offset) {
        return offset <= Size && Size - offset >= DirectoryHeaderSize && FirstVisit(Directories, offset);
    }

    void ReadClaimedDirectory(TResourceItem* node, uint32_t offset) {
        const uint8_t* d = B + offset;
        node->Characteristics = GetLE32(d);
        node->TimeDateStamp = GetLE32(d + 4);
        node->MajorVersion = GetLE16(d + 8);
        node->MinorVersion = GetLE16(d + 10);
        uint32_t count = uint32_t(GetLE16(d + 12)) + GetLE16(d + 14);
        uint32_t room = (Size - offset - DirectoryHeaderSize) / EntrySize;
        if (count > room) {
            Op->DamagedEntries += count - room;
            count = room;
        }
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t at = offset + DirectoryHeaderSize + i * EntrySize;
            // Sound directories never share entries. Stopping at the first shared one keeps the
            // reading linear: overlapping directories could otherwise walk n*n/128 entries.
            if (!FirstVisit(Entries, at)) {
                Op->DamagedEntries += count - i;
                return;
            }
            ReadEntry(node, at);
        }
    }

    bool ReadName(uint32_t offset, std::u16string& out) {
        if (offset > Size || Size - offset < 2) return false;
        uint32_t length = GetLE16(B + offset);
        if ((Size - offset - 2) / 2 < length) return false;
        out.resize(length);
        for (uint32_t i = 0; i < length; ++i) out[i] = static_cast<char16_t>(GetLE16(B + offset + 2 + 2 * i));
        return true;
    }

    void ReadEntry(TResourceItem* parent, uint32_t at) {
        uint32_t nameField = GetLE32(B + at), offsetField = GetLE32(B + at + 4);
        const bool isLeaf = parent->Level + 1 == TResourceItem::LanguageLevel;
        // Directories at levels 1 and 2, data entries at level 3: any other shape is damage.
        // Checked before the item is made: damaged trees can have many thousand entries.
        if (HighBitSet(offsetField) == isLeaf) { ++Op->DamagedEntries; return; }
        if (!isLeaf) {
            std::u16string wideName;
            if (HighBitSet(nameField) && !ReadName(ClearHighBit(nameField), wideName)) { ++Op->DamagedEntries; return; }
            // An entry whose directory cannot be read gets no item either. Kept as empty nodes,
            // the entries of every directory could each be one, some n*n/128 items for n bytes.
            const uint32_t directory = ClearHighBit(offsetField);
            if (!ClaimDirectory(directory)) { ++Op->DamagedEntries; return; }
            auto child = std::make_unique<TResourceItem>(Op, parent);
            if (HighBitSet(nameField)) {
                child->WideName = std::move(wideName);
                child->Named = true;
                child->Name = NarrowName(child->WideName);
            } else {
                child->Number = nameField;
                child->Name = Decimal(nameField);
            }
            if (child->Level == TResourceItem::TypeLevel) {
                if (!child->Named) {
                    child->TypeNumber = nameField;
                    if (nameField < 25) {
                        child->TypeId = static_cast<uint8_t>(nameField);
                        child->Name = ResourceTypeNames[nameField];
                    }
                }
            } else {
                child->TypeId = parent->TypeId;
                child->TypeNumber = parent->TypeNumber;
            }
            ReadClaimedDirectory(parent->Append(std::move(child)), directory);
            return;
        }
        if (HighBitSet(nameField) || offsetField > Size || Size - offsetField < DataEntrySize ||
            !FirstVisit(DataEntries, offsetField)) {
            ++Op->DamagedEntries;
            return;
        }
        auto child = std::make_unique<TResourceItem>(Op, parent);
        child->Name = parent->Name;
        child->WideName = parent->WideName;
        child->Named = parent->Named;
        child->Number = parent->Number;
        child->TypeId = parent->TypeId;
        child->TypeNumber = parent->TypeNumber;
        child->Id = nameField;
        const uint8_t* e = B + offsetField;
        uint32_t rva = GetLE32(e), size = GetLE32(e + 4);
        child->CodePage = GetLE32(e + 8);
        uint32_t sectionRva = Op->SectionRVA;
        if (rva >= sectionRva && rva - sectionRva <= Size && size <= Size - (rva - sectionRva) &&
            DataBytes + size <= Size) {
            if (size) child->Data.WriteBuffer(B + (rva - sectionRva), size);
            child->Data.SetPosition(0);
            DataBytes += size;
        } else {
            ++Op->DamagedEntries;  // kept, but without its bytes
        }
        parent->Append(std::move(child));
    }

    TResourceDataOperator* Op;
    const uint8_t* B;
    uint32_t Size;
    std::vector<bool> Directories, Entries, DataEntries;  // one flag per offset: no tree node per entry
    uint64_t DataBytes = 0;
};

// ---------------------------------------------------------------------------------------------
// TResourceDataOperator

TResourceDataOperator::TResourceDataOperator(TSectionHeader* sectionHeader) : TChangeableDataOperator(sectionHeader) {
    if (sectionHeader) SectionRVA = sectionHeader->VirtualAddress();
    Attach();
}

void TResourceDataOperator::Parse() {
    Root = std::make_unique<TResourceItem>(this, nullptr);
    Root->Name = "Resource Root";
    DamagedEntries = 0;
    TSectionData* data = SectionHeader->SectionData.get();
    TNTHeaders* nt = SectionHeader->Image ? SectionHeader->Image->NTHeaders.get() : nullptr;
    // The tree is read from the section's start; a resource directory elsewhere is not understood.
    uint32_t directory = nt ? nt->DataDirectoryAddress(DirResource) : 0;
    if (!data || data->Size <= 0 || (directory != 0 && directory != SectionRVA)) {
        ++DamagedEntries;
        return;
    }
    TResourceReader reader(this, data->View(), static_cast<uint32_t>(data->Size));
    reader.ReadDirectory(Root.get(), 0);
}

TResourceItem* TResourceDataOperator::FindType(uint32_t typeNumber) const {
    for (const auto& c : Root->Children)
        if (!c->Named && c->TypeNumber == typeNumber) return c.get();
    return nullptr;
}

TResourceItem* TResourceDataOperator::FindEntry(uint32_t typeNumber, const std::string& name) const {
    TResourceItem* type = FindType(typeNumber);
    if (!type) return nullptr;
    std::string wanted = ResourceNameUpper(name);
    for (const auto& c : type->Children)
        if (!c->Children.empty() && ResourceNameUpper(c->Name) == wanted) return c->Children.front().get();
    return nullptr;
}

namespace {

bool InRange(uint32_t value, uint32_t start, uint32_t length) { return value >= start && value - start < length; }

// An upper bound of what WriteTree writes for the tree.
uint64_t EstimatedSize(const TResourceItem& node) {
    uint64_t size = DirectoryHeaderSize + EntrySize + DataEntrySize + 4 + node.DataSize() + 4 + 2 * node.WideName.size();
    for (const auto& c : node.Children) size += EstimatedSize(*c);
    return size;
}

uint32_t VirtualSpan(const TSectionHeader& s, uint32_t alignment) {
    return AlignUp(std::max(s.VirtualSize(), s.SizeOfRawData()), alignment);
}

}  // namespace

void TResourceDataOperator::Rebuild() {
    TSectionHeader* rsrc = SectionHeader;
    TPEImage* image = rsrc->Image;
    TNTHeaders* nt = image->NTHeaders.get();
    const uint32_t fileAlignment = nt->FileAlignment(), sectionAlignment = nt->SectionAlignment();
    const uint32_t va = rsrc->VirtualAddress();
    const uint32_t oldEnd = image->EndOfImage();

    TMemoryStream tree;
    tree.SetSize(EstimatedSize(*Root) + fileAlignment);  // one allocation, not a series of growths
    tree.SetSize(0);
    const uint32_t length = Root->WriteTree(tree);
    const uint32_t padded = static_cast<uint32_t>(tree.Size());

    // Where the section goes in the file: in place; a section that had no raw data goes last.
    uint32_t pointer = rsrc->PointerToRawData(), raw = rsrc->SizeOfRawData();
    if (!rsrc->HasRawData()) {
        pointer = AlignUp(std::max(oldEnd, nt->SizeOfHeaders()), fileAlignment);
        raw = 0;
    }

    // Sections behind it in the address space move with it when it changes size; only data
    // that nothing addresses directly may move (relocations, debug information), as code and
    // ordinary data are reached at fixed addresses.
    std::vector<TSectionHeader*> addressFollowers, fileFollowers;
    uint32_t nextVa = 0;
    bool movable = true;
    for (auto& s : image->Sections) {
        TSectionHeader* h = s.get();
        if (h == rsrc) continue;
        if (h->VirtualAddress() > va) {
            addressFollowers.push_back(h);
            if (!nextVa || h->VirtualAddress() < nextVa) nextVa = h->VirtualAddress();
            bool fixed = (h->Characteristics() & (SCN_CNT_CODE | SCN_MEM_EXECUTE)) ||
                         !(h->Characteristics() & SCN_MEM_DISCARDABLE);
            for (unsigned i = 0; i < 16 && !fixed; ++i)
                if (i != DirSecurity && i != DirBaseReloc &&
                    i != DirDebug && nt->DataDirectorySize(i) &&
                    InRange(nt->DataDirectoryAddress(i), h->VirtualAddress(), VirtualSpan(*h, sectionAlignment)))
                    fixed = true;
            if (fixed) movable = false;
        }
        if (h->HasRawData()) {
            uint32_t p = h->PointerToRawData(), n = h->SizeOfRawData();
            if (raw && p < pointer + raw && pointer < p + n)
                throw EResourceLayoutError("The resource section shares its file space with section " + h->Name());
            if (p >= pointer) fileFollowers.push_back(h);
        }
    }

    uint32_t virtualSize = length;
    int64_t addressDelta = 0;
    if (nextVa) {
        int64_t room = int64_t(nextVa) - va, needed = AlignUp(length, sectionAlignment);
        if (needed != room) {
            if (movable) {
                addressDelta = needed - room;
            } else if (needed > room) {
                throw EResourceLayoutError(
                    "The resource section cannot grow: the sections behind it cannot be moved");
            } else {
                virtualSize = static_cast<uint32_t>(room);  // keeps the address space without holes
            }
        }
    }
    int64_t fileDelta = 0;
    if (!fileFollowers.empty()) {
        uint32_t first = UINT32_MAX;
        for (TSectionHeader* h : fileFollowers) first = std::min(first, h->PointerToRawData());
        fileDelta = int64_t(AlignUp(pointer + padded, fileAlignment)) - first;
    }
    if (int64_t(pointer) + padded > 0x7FFFFFFF || int64_t(oldEnd) + fileDelta + padded > 0x7FFFFFFF ||
        int64_t(nt->SizeOfImageField()) + addressDelta + AlignUp(length, sectionAlignment) > 0xFFFFFFFFLL)
        throw EResourceLayoutError("The rebuilt resource section is too large");

    // From here on nothing fails: the image changes as a whole.
    auto movedAddress = [&](uint32_t rva) -> int64_t {
        for (TSectionHeader* h : addressFollowers)
            if (InRange(rva, h->VirtualAddress(), VirtualSpan(*h, sectionAlignment))) return addressDelta;
        return 0;
    };
    auto movedFile = [&](uint32_t offset) -> int64_t {
        for (TSectionHeader* h : fileFollowers)
            if (InRange(offset, h->PointerToRawData(), h->SizeOfRawData())) return fileDelta;
        return 0;
    };
    // Debug directory entries address their data both by RVA and by file offset.
    uint32_t debugRva = nt->DataDirectoryAddress(DirDebug), debugSize = nt->DataDirectorySize(DirDebug);
    if (debugSize && (addressDelta || fileDelta)) {
        for (auto& s : image->Sections) {
            TSectionHeader* h = s.get();
            if (h == rsrc || !InRange(debugRva, h->VirtualAddress(), h->SizeOfRawData())) continue;
            uint32_t at = debugRva - h->VirtualAddress();
            uint32_t count = std::min<uint32_t>(debugSize, h->SizeOfRawData() - at) / DebugEntrySize;
            for (uint32_t i = 0; i < count; ++i) {
                uint8_t* e = h->SectionData->View() + at + i * DebugEntrySize;
                uint32_t address = GetLE32(e + 20), offset = GetLE32(e + 24);
                if (address) SetLE32(e + 20, static_cast<uint32_t>(address + movedAddress(address)));
                if (offset) SetLE32(e + 24, static_cast<uint32_t>(offset + movedFile(offset)));
            }
        }
    }
    for (unsigned i = 0; i < 16; ++i) {
        if (i == DirSecurity || !nt->HasDataDirectory(i)) continue;
        uint32_t address = nt->DataDirectoryAddress(i);
        if (address && nt->DataDirectorySize(i))
            nt->SetDataDirectory(i, static_cast<uint32_t>(address + movedAddress(address)), nt->DataDirectorySize(i));
    }
    for (TSectionHeader* h : addressFollowers)
        h->SetVirtualAddress(static_cast<uint32_t>(h->VirtualAddress() + addressDelta));
    for (TSectionHeader* h : fileFollowers) {
        h->SetPointerToRawData(static_cast<uint32_t>(h->PointerToRawData() + fileDelta));
        h->SectionData->Position = h->PointerToRawData();
    }

    // The section takes the written bytes over instead of copying them (large icons).
    TSectionData* data = rsrc->SectionData.get();
    tree.SetPosition(0);
    data->Bytes = std::move(tree);
    data->Size = static_cast<int32_t>(padded);
    data->Position = pointer;
    data->DataLength = length;
    rsrc->SetPointerToRawData(pointer);
    rsrc->SetSizeOfRawData(padded);
    rsrc->SetVirtualSize(virtualSize);

    uint8_t* h = nt->View();
    SetLE32(h + CheckSumAt, 0);
    SetLE32(h + SizeOfInitializedDataAt, GetLE32(h + SizeOfInitializedDataAt) + (padded - data->OldSize));
    data->OldSize = padded;
    image->UpdateSizeOfImage();
    // The sum of the section sizes misses holes in the address space; the image must cover every section.
    uint32_t end = 0;
    for (auto& s : image->Sections) end = std::max(end, s->VirtualAddress() + AlignUp(s->VirtualSize(), sectionAlignment));
    if (end > nt->SizeOfImage) {
        nt->SetSizeOfImageField(end);
        nt->SizeOfImage = end;
    }
    for (unsigned i = 0; i < 16; ++i) {
        if (i == DirSecurity) continue;
        if (nt->HasDataDirectory(i) && nt->DataDirectoryAddress(i) == va) {
            nt->SetDataDirectory(i, va, length);
            break;
        }
    }
    // Saving keeps nothing behind the last section: a certificate table or a COFF symbol table
    // there is gone, and the headers must not point at it.
    uint32_t newEnd = image->EndOfImage();
    uint32_t certificate = nt->DataDirectoryAddress(DirSecurity);
    uint32_t certificateSize = nt->DataDirectorySize(DirSecurity);
    if ((certificate || certificateSize) &&
        (certificate >= oldEnd || uint64_t(certificate) + certificateSize > newEnd))
        nt->SetDataDirectory(DirSecurity, 0, 0);
    if (GetLE32(h + PointerToSymbolTableAt) >= oldEnd) {
        SetLE32(h + PointerToSymbolTableAt, 0);
        SetLE32(h + NumberOfSymbolsAt, 0);
    }
}

// ---------------------------------------------------------------------------------------------
// Icon replacement

namespace {

// The icon numbers a group leaf lists (6-byte header, then 14-byte entries ending in the number).
void GroupIconIds(const TResourceItem& group, std::set<uint32_t>& ids) {
    const uint8_t* p = group.Data.Memory();
    uint32_t size = group.DataSize();
    if (size < 6) return;
    uint32_t count = std::min<uint32_t>(GetLE16(p + 4), (size - 6) / 14);
    for (uint32_t i = 0; i < count; ++i) ids.insert(GetLE16(p + 6 + 14 * i + 12));
}

}  // namespace

bool ReplaceIconFromStream(const std::string& fileName, TStream& icon, const std::string& groupName) {
    if (!FileExists(fileName)) return false;
    const std::string file = ReadIconFile(icon);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(file.data());
    const TIconFileInfo info = CheckIconFile(bytes, file.size());

    TPEImage image(fileName);
    auto operatorOwner = std::make_unique<TResourceDataOperator>(image.FindSection(".rsrc"));
    TResourceDataOperator& op = *operatorOwner;
    // Rewriting a tree that was only partly readable would lose what could not be read.
    if (op.DamagedEntries) throw EImageBlockException();
    TResourceItem* group = op.FindEntry(RT_GROUP_ICON_TYPE, groupName);
    TResourceItem* icons = op.FindType(RT_ICON_TYPE);
    if (!group || !icons) return false;

    // The group's old images go, unless another group (or another language of it) uses them too.
    std::set<uint32_t> replaced, kept;
    for (const auto& name : op.FindType(RT_GROUP_ICON_TYPE)->Children)
        for (const auto& leaf : name->Children) GroupIconIds(*leaf, leaf.get() == group ? replaced : kept);
    std::vector<TResourceItem*> obsolete;
    for (const auto& c : icons->Children)
        if (!c->Named && replaced.count(c->Number) && !kept.count(c->Number)) obsolete.push_back(c.get());
    for (TResourceItem* c : obsolete) icons->RemoveChild(c);

    std::set<uint32_t> used;
    for (const auto& c : icons->Children)
        if (!c->Named) used.insert(c->Number);
    TMemoryStream groupData;
    groupData.WriteBuffer(bytes, IconHeaderSize);
    uint32_t next = 1;
    for (const TIconImageInfo& img : info.Images) {
        while (used.count(next)) ++next;
        if (next > 0xFFFF) throw EResourceLayoutError("No free icon numbers left");
        used.insert(next);
        // The new images take the group's language, so that lookups by language find them together.
        icons->AddId(next)->AddData(bytes + img.Offset, img.Size, group->Id);
        groupData.WriteBuffer(img.Entry, 12);
        WriteLE16(groupData, static_cast<uint16_t>(next));
    }
    groupData.SetPosition(0);
    group->ReplaceData(groupData, groupData.Size());

    op.Rebuild();
    operatorOwner.reset();  // the tree's copy of the resources is not needed for saving
    image.Save();
    return true;
}

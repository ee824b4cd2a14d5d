// The resource section of a PE image as a tree (type, name, language), read defensively,
// rebuilt in place of the old section, and the icon replacement built on it.
#pragma once
#include "uPEUtils.h"
#include "base/CodePage.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The resource section cannot take the rebuilt tree without breaking the image (a section
// behind it that must keep its addresses); nothing has been written.
class EResourceLayoutError : public EReadError {
public:
    using EReadError::EReadError;
};

class TResourceDataOperator;

class TResourceItem {
public:
    enum { RootLevel = 0, TypeLevel = 1, NameLevel = 2, LanguageLevel = 3 };
    static constexpr uint32_t DefaultLanguage = 1041;

    TResourceItem(TResourceDataOperator* op, TResourceItem* parent);
    TResourceItem(const TResourceItem&) = delete;
    TResourceItem& operator=(const TResourceItem&) = delete;

    // Creates a child when this node's level is in the set (bit n = level n).
    TResourceItem* AddChild(uint8_t permittedParentLevels, bool named);
    TResourceItem* AddId(uint32_t number);  // type nodes only; kept in ascending order
    TResourceItem* AddData(const void* bytes, size_t size, uint32_t language);  // name nodes only
    void ClearChildren();
    void RemoveChild(TResourceItem* child);
    void ReplaceData(TStream& stream, int64_t size);
    // Writes the tree below this node (the root) as a resource section starting at position 0
    // of the stream; pads to FileAlignment and returns the unpadded length.
    uint32_t WriteTree(TStream& stream);

    // A string identifier: Name holds it in the 8-bit code page, WideName as stored.
    void SetStringName(const std::string& name);
    bool IsEmitted() const;  // a leaf, or a directory with at least one leaf below it
    uint32_t DataSize() const { return static_cast<uint32_t>(const_cast<TMemoryStream&>(Data).Size()); }

    uint32_t Characteristics = 0;
    uint32_t TimeDateStamp = 0;
    uint16_t MajorVersion = 0, MinorVersion = 0;
    uint16_t NumberOfNamedEntries = 0, NumberOfIdEntries = 0;
    std::vector<std::unique_ptr<TResourceItem>> Children;
    TMemoryStream Data;
    std::string Name;
    std::u16string WideName;  // string identifiers of type and name nodes, unconverted
    uint8_t TypeId = 0;       // 0 to 24; 0 for string types and numbers of 25 or more
    uint32_t TypeNumber = 0;  // the full type number of a numbered type (inherited like TypeId)
    uint32_t Number = 0;      // the number of a numbered type or name node
    bool Named = false;       // type or name node identified by a string
    TResourceItem* Parent;
    uint32_t CodePage = 0;
    uint32_t Id = DefaultLanguage;
    uint8_t Level = 0;
    TResourceDataOperator* Operator;
    int32_t SlotPosition = 0;

private:
    friend class TResourceReader;
    TResourceItem* Append(std::unique_ptr<TResourceItem> child);
};

class TResourceDataOperator : public TChangeableDataOperator {
public:
    explicit TResourceDataOperator(TSectionHeader* sectionHeader);
    std::string GetSectionName() const override { return ".rsrc"; }
    void Parse() override;

    TResourceItem* FindType(uint32_t typeNumber) const;
    TResourceItem* FindEntry(uint32_t typeNumber, const std::string& name) const;
    // Writes the tree into the section, moves what lies behind it and updates the headers.
    // Raises EResourceLayoutError, leaving the image unchanged, when the section cannot grow.
    void Rebuild();

    uint32_t SectionRVA = 0;
    std::unique_ptr<TResourceItem> Root;
    // Parts of the stored tree that were unreadable and left out of Root.
    unsigned DamagedEntries = 0;
};

extern const char* const ResourceTypeNames[25];

// Upper-cases ASCII letters only, the way resource names are compared.
std::string ResourceNameUpper(const std::string& name);

// Replaces the icon group `groupName` of the executable with the ICO file read from the
// stream's position; the group's previous images go unless another group still uses them.
// Returns false (file untouched) when the file, the group or the icon type is missing.
// Raises EImageBlockException for a damaged image or resource tree, EReadError for a bad
// icon file and EResourceLayoutError when the section cannot grow; the file is then untouched.
bool ReplaceIconFromStream(const std::string& fileName, TStream& icon, const std::string& groupName);

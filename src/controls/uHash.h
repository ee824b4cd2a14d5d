// A string-keyed table that keeps its keys sorted and finds them by binary search.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A pointer-sized value: an object or a plain integer (the bitmap list keeps byte offsets).
using THashValue = intptr_t;

struct THashEntry {
    std::string Key;
    THashValue Value;
};
using THashEntries = std::vector<THashEntry>;

class THash {
public:
    THash() = default;
    THash(const THash&) = default;
    THash(THash&&) = default;
    THash& operator=(const THash&) = default;
    THash& operator=(THash&&) = default;
    virtual ~THash() = default;  // the values are not owned

    virtual int GetCount() const;
    // The value of the key, or 0 when the table does not hold it.
    virtual THashValue GetItem(const std::string& key) const;
    // Replaces the value of a byte-for-byte equal key, else inserts the key at its sorted place
    // (so a key equal to another only when case is ignored becomes a second entry next to it).
    virtual void SetItem(const std::string& key, THashValue value);
    // Indices outside the table read as 0 and are ignored on writing.
    virtual THashValue GetItemByIndex(int index) const;
    virtual void SetItemByIndex(int index, THashValue value);
    virtual void SetCaseInsensitive(bool value);
    virtual void Remove(const std::string& key);
    virtual void Clear();
    // Moves the value of old to new; nothing when the table does not hold old.
    virtual void Rename(const std::string& oldKey, const std::string& newKey);
    // Ignores case whatever the table's own comparison is.
    virtual bool Exists(const std::string& key) const;

    // Clears the list and fills it with the keys in table order, each with its value.
    void AssignTo(THashEntries* list) const;
    // Re-sorts keys with their values under the current comparison.
    void Sort();

    bool CaseInsensitive() const { return FCaseInsensitive; }
    const std::string& KeyAt(int index) const { return FKeys[static_cast<size_t>(index)]; }
    // The index of the key, or -1. In insert mode: where the key belongs (-1 for an empty table).
    int Find(const std::string& key, bool insertMode) const;

private:
    int Compare(const std::string& a, const std::string& b) const;

    std::vector<std::string> FKeys;
    std::vector<THashValue> FValues;
    bool FCaseInsensitive = true;
};

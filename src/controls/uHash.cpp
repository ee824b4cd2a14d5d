#include "uHash.h"
#include "base/AnsiStrings.h"
#include <algorithm>
#include <numeric>

int THash::Compare(const std::string& a, const std::string& b) const {
    return FCaseInsensitive ? AnsiCompareText(a, b) : AnsiCompareStr(a, b);
}

int THash::GetCount() const { return static_cast<int>(FKeys.size()); }

int THash::Find(const std::string& key, bool insertMode) const {
    const int count = GetCount();
    auto c = [&](int i) { return Compare(FKeys[static_cast<size_t>(i)], key); };
    if (count == 0) return -1;
    if (count == 1) {
        int r = c(0);
        if (insertMode) return r < 0 ? 1 : 0;
        return r == 0 ? 0 : -1;
    }
    int lo = 0, hi = count - 1;
    for (;;) {
        int mid = lo + (hi - lo) / 2;
        int rm = c(mid);
        if (rm == 0) return mid;
        if (hi - lo == 1) {
            int rlo = c(lo), rhi = c(hi);
            if (rhi == 0) return hi;
            if (rlo == 0) return lo;
            if (!insertMode) return -1;
            if (rlo >= 0) return lo;
            if (rhi > 0) return hi;
            return hi + 1;
        }
        if (rm > 0) hi = mid; else lo = mid;
    }
}

THashValue THash::GetItem(const std::string& key) const {
    int i = Find(key, false);
    return i < 0 ? 0 : FValues[static_cast<size_t>(i)];
}

void THash::SetItem(const std::string& key, THashValue value) {
    int i = std::max(Find(key, true), 0);
    if (i < GetCount() && FKeys[static_cast<size_t>(i)] == key) {
        FValues[static_cast<size_t>(i)] = value;
        return;
    }
    FKeys.insert(FKeys.begin() + i, key);
    FValues.insert(FValues.begin() + i, value);
}

THashValue THash::GetItemByIndex(int index) const {
    return index >= 0 && index < GetCount() ? FValues[static_cast<size_t>(index)] : 0;
}

void THash::SetItemByIndex(int index, THashValue value) {
    if (index >= 0 && index < GetCount()) FValues[static_cast<size_t>(index)] = value;
}

void THash::SetCaseInsensitive(bool value) {
    if (value == FCaseInsensitive) return;
    FCaseInsensitive = value;
    Sort();
}

void THash::Remove(const std::string& key) {
    int i = Find(key, false);
    if (i < 0) return;
    FKeys.erase(FKeys.begin() + i);
    FValues.erase(FValues.begin() + i);
}

void THash::Clear() {
    FKeys.clear();
    FValues.clear();
}

void THash::Rename(const std::string& oldKey, const std::string& newKey) {
    // Looked up under the table's own comparison: a case-sensitive table asked for a key it
    // holds only in another case must not gain a new key with no value.
    int i = Find(oldKey, false);
    if (i < 0) return;
    THashValue value = FValues[static_cast<size_t>(i)];
    FKeys.erase(FKeys.begin() + i);
    FValues.erase(FValues.begin() + i);
    SetItem(newKey, value);
}

bool THash::Exists(const std::string& key) const {
    return std::any_of(FKeys.begin(), FKeys.end(),
                       [&](const std::string& k) { return AnsiCompareText(k, key) == 0; });
}

void THash::AssignTo(THashEntries* list) const {
    if (!list) return;
    list->clear();
    list->reserve(FKeys.size());
    for (size_t i = 0; i < FKeys.size(); ++i) list->push_back({FKeys[i], FValues[i]});
}

void THash::Sort() {
    std::vector<size_t> order(FKeys.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return Compare(FKeys[a], FKeys[b]) < 0; });
    std::vector<std::string> keys;
    std::vector<THashValue> values;
    keys.reserve(order.size());
    values.reserve(order.size());
    for (size_t i : order) {
        keys.push_back(std::move(FKeys[i]));
        values.push_back(FValues[i]);
    }
    FKeys = std::move(keys);
    FValues = std::move(values);
}

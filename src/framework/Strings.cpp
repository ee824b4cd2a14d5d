#include "framework/Strings.h"
#include "base/SysUtils.h"

void TStringList::Changed() {
    if (FUpdateCount == 0) OnChange(this);
}

int TStringList::Add(const std::string& s) {
    FItems.push_back(s);
    Changed();
    return Count() - 1;
}

void TStringList::Insert(int index, const std::string& s) {
    if (index < 0 || index > Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    FItems.insert(FItems.begin() + index, s);
    Changed();
}

void TStringList::Put(int index, const std::string& s) {
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    FItems[static_cast<size_t>(index)] = s;
    Changed();
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    FItems.erase(FItems.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (FItems.empty()) return;
    FItems.clear();
    Changed();
}

int TStringList::IndexOf(const std::string& s) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i] == s) return static_cast<int>(i);
    return -1;
}

void TStringList::Assign(const TStringList& other) {
    if (&other == this) return;
    Assign(other.FItems);
}

void TStringList::Assign(const std::vector<std::string>& items) {
    FItems = items;
    Changed();
}

std::string TStringList::Text() const {
    std::string t;
    for (const auto& s : FItems) { t += s; t += "\r\n"; }
    return t;
}

void TStringList::SetText(const std::string& text) {
    std::vector<std::string> items;
    size_t i = 0, n = text.size();
    while (i < n) {
        size_t j = i;
        while (j < n && text[j] != '\r' && text[j] != '\n') ++j;
        items.emplace_back(text, i, j - i);
        if (j < n && text[j] == '\r') ++j;
        if (j < n && text[j] == '\n') ++j;
        i = j;
    }
    Assign(items);
}

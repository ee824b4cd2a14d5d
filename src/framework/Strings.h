// String lists: the line-oriented text container that memos, form resources and components share.
#pragma once
#include "framework/Events.h"
#include <string>
#include <vector>

class TStringList : public TObject {
public:
    KESTRIN_CLASS(TStringList)
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& operator[](int index) const { return FItems.at(static_cast<size_t>(index)); }
    const std::vector<std::string>& Items() const { return FItems; }
    int Add(const std::string& s);
    void Insert(int index, const std::string& s);
    void Put(int index, const std::string& s);
    void Delete(int index);
    void Clear();
    int IndexOf(const std::string& s) const;
    void Assign(const TStringList& other);
    void Assign(const std::vector<std::string>& items);
    // Every line followed by CR LF.
    std::string Text() const;
    // Split at CR, LF or CR LF; a final line break adds no empty line.
    void SetText(const std::string& text);
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate() { if (--FUpdateCount == 0) Changed(); }

    TNotifyEvent OnChange;

private:
    void Changed();
    std::vector<std::string> FItems;
    int FUpdateCount = 0;
};
using TStrings = TStringList;

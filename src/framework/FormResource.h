// Form resources: a tree of objects with typed property values, in two forms.
//  - text: the form source kept in the repository (object Name: TClass ... end);
//  - binary: the compact resource the program reads at run time.
// Both readers are defensive: every count and length is checked against the data that is there.
#pragma once
#include "base/Classes.h"
#include "base/SysUtils.h"
#include <cstdint>
#include <string>
#include <vector>

KESTRIN_EXCEPTION(EFormResourceError, EReadError);

enum class TValueKind : uint8_t {
    vkFalse = 1, vkTrue = 2, vkInteger = 3, vkString = 4, vkIdent = 5, vkSet = 6,
    vkList = 7, vkBinary = 8, vkNil = 9,
};

struct TFormValue {
    TValueKind Kind = TValueKind::vkNil;
    int32_t Int = 0;
    std::string Str;                      // string text, identifier or binary bytes
    std::vector<std::string> Names;       // set members
    std::vector<TFormValue> List;         // list items

    static TFormValue Boolean(bool b) { TFormValue v; v.Kind = b ? TValueKind::vkTrue : TValueKind::vkFalse; return v; }
    static TFormValue Integer(int32_t i) { TFormValue v; v.Kind = TValueKind::vkInteger; v.Int = i; return v; }
    static TFormValue String(std::string s) { TFormValue v; v.Kind = TValueKind::vkString; v.Str = std::move(s); return v; }
    static TFormValue Ident(std::string s) { TFormValue v; v.Kind = TValueKind::vkIdent; v.Str = std::move(s); return v; }
    static TFormValue Binary(std::string s) { TFormValue v; v.Kind = TValueKind::vkBinary; v.Str = std::move(s); return v; }
    static TFormValue Set(std::vector<std::string> names) { TFormValue v; v.Kind = TValueKind::vkSet; v.Names = std::move(names); return v; }
    static TFormValue Strings(const std::vector<std::string>& items);
    bool operator==(const TFormValue& o) const;

    // Typed access for property readers; a value of another kind raises EReadError.
    int32_t AsInteger(const std::string& prop) const;
    bool AsBoolean(const std::string& prop) const;
    const std::string& AsString(const std::string& prop) const;
    const std::string& AsIdent(const std::string& prop) const;
    const std::string& AsBinary(const std::string& prop) const;
    std::vector<std::string> AsStrings(const std::string& prop) const;
};

struct TFormProperty {
    std::string Name;
    TFormValue Value;
    bool operator==(const TFormProperty& o) const { return Name == o.Name && Value == o.Value; }
};

struct TFormObject {
    std::string ClassName;
    std::string Name;
    std::vector<TFormProperty> Properties;
    std::vector<TFormObject> Children;

    const TFormValue* Find(const std::string& prop) const;
    // The object of that name, this one or any below it; null when there is none.
    const TFormObject* FindObject(const std::string& name) const;
    bool operator==(const TFormObject& o) const;
};

// Binary form: "KFR1", then one object:
//   class (short string), name (short string), properties, 0, children, 0
// where a property is its name (short string, never empty) and a value, and a child is an
// object (its class name is never empty, so a zero length byte ends both lists).
// A short string is a length byte and the bytes. A value is a kind byte, then:
//   integer: 4 bytes LE; string, binary: 32-bit LE length and bytes; identifier: short string;
//   set: short strings ended by an empty one; list: values ended by a 0 byte.
extern const char KFormSignature[4];
constexpr int KMaxFormDepth = 32;

void WriteFormBinary(TStream& stream, const TFormObject& root);
std::string FormToBinary(const TFormObject& root);
TFormObject ReadFormBinary(TStream& stream);           // reads exactly one resource from the position
TFormObject FormFromBinary(const void* data, size_t size);  // the whole buffer must be one resource

// Text form. Strings in the source are UTF-8; the loader hands the bytes through unchanged
// (a conversion to the program's code page, when wanted, is the caller's step).
TFormObject ParseFormText(const std::string& text, const std::string& sourceName = "form");
std::string FormToText(const TFormObject& root);

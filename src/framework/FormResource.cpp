#include "framework/FormResource.h"
#include "base/Endian.h"
#include <cctype>

const char KFormSignature[4] = {'K', 'F', 'R', '1'};

TFormValue TFormValue::Strings(const std::vector<std::string>& items) {
    TFormValue v;
    v.Kind = TValueKind::vkList;
    for (const auto& s : items) v.List.push_back(String(s));
    return v;
}

bool TFormValue::operator==(const TFormValue& o) const {
    return Kind == o.Kind && Int == o.Int && Str == o.Str && Names == o.Names && List == o.List;
}

static const char* KindName(TValueKind k) {
    switch (k) {
    case TValueKind::vkFalse: case TValueKind::vkTrue: return "Boolean";
    case TValueKind::vkInteger: return "Integer";
    case TValueKind::vkString: return "String";
    case TValueKind::vkIdent: return "Identifier";
    case TValueKind::vkSet: return "Set";
    case TValueKind::vkList: return "List";
    case TValueKind::vkBinary: return "Binary";
    case TValueKind::vkNil: return "Nil";
    }
    return "?";
}

[[noreturn]] static void WrongKind(const std::string& prop, const TFormValue& v, const char* wanted) {
    throw EReadError("Invalid property value: " + prop + " holds a " + KindName(v.Kind) + " value, " +
                     wanted + " expected");
}

int32_t TFormValue::AsInteger(const std::string& prop) const {
    if (Kind != TValueKind::vkInteger) WrongKind(prop, *this, "Integer");
    return Int;
}
bool TFormValue::AsBoolean(const std::string& prop) const {
    if (Kind != TValueKind::vkTrue && Kind != TValueKind::vkFalse) WrongKind(prop, *this, "Boolean");
    return Kind == TValueKind::vkTrue;
}
const std::string& TFormValue::AsString(const std::string& prop) const {
    if (Kind != TValueKind::vkString) WrongKind(prop, *this, "String");
    return Str;
}
const std::string& TFormValue::AsIdent(const std::string& prop) const {
    if (Kind != TValueKind::vkIdent) WrongKind(prop, *this, "Identifier");
    return Str;
}
const std::string& TFormValue::AsBinary(const std::string& prop) const {
    if (Kind != TValueKind::vkBinary) WrongKind(prop, *this, "Binary");
    return Str;
}
std::vector<std::string> TFormValue::AsStrings(const std::string& prop) const {
    if (Kind != TValueKind::vkList) WrongKind(prop, *this, "List");
    std::vector<std::string> r;
    for (const auto& v : List) r.push_back(v.AsString(prop));
    return r;
}

const TFormValue* TFormObject::Find(const std::string& prop) const {
    for (const auto& p : Properties)
        if (p.Name == prop) return &p.Value;
    return nullptr;
}

const TFormObject* TFormObject::FindObject(const std::string& name) const {
    if (Name == name) return this;
    for (const TFormObject& child : Children)
        if (const TFormObject* found = child.FindObject(name)) return found;
    return nullptr;
}

bool TFormObject::operator==(const TFormObject& o) const {
    return ClassName == o.ClassName && Name == o.Name && Properties == o.Properties && Children == o.Children;
}

// ---- binary writer -------------------------------------------------------------------------

namespace {

// Names and identifiers must be what the text form can hold, so that every resource prints.
bool IsIdent(const std::string& s, bool dotted) {
    if (s.empty()) return false;
    bool start = true;
    for (char ch : s) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (start) {
            if (!(std::isalpha(c) || c == '_')) return false;
            start = false;
        } else if (c == '.' && dotted) {
            start = true;
        } else if (!(std::isalnum(c) || c == '_')) {
            return false;
        }
    }
    return !start;
}
bool IsPropertyName(const std::string& s) { return IsIdent(s, true) && s != "object" && s != "end"; }
bool IsIdentValue(const std::string& s) { return IsIdent(s, false) && s != "True" && s != "False" && s != "nil"; }

void PutByte(TStream& s, uint8_t b) { s.WriteBuffer(&b, 1); }

void PutShort(TStream& s, const std::string& str, const char* what) {
    if (str.size() > 255) throw EWriteError(std::string(what) + " longer than 255 bytes: " + str.substr(0, 40));
    PutByte(s, static_cast<uint8_t>(str.size()));
    s.WriteBuffer(str.data(), str.size());
}

void PutLong(TStream& s, const std::string& str) {
    if (str.size() > 0x7FFFFFFF) throw EWriteError("Value too long for a form resource");
    uint8_t b[4];
    SetLE32(b, static_cast<uint32_t>(str.size()));
    s.WriteBuffer(b, 4);
    s.WriteBuffer(str.data(), str.size());
}

void PutValue(TStream& s, const TFormValue& v, int depth) {
    if (depth > KMaxFormDepth) throw EWriteError("Form resource nested too deeply");
    PutByte(s, static_cast<uint8_t>(v.Kind));
    switch (v.Kind) {
    case TValueKind::vkFalse: case TValueKind::vkTrue: case TValueKind::vkNil: break;
    case TValueKind::vkInteger: {
        uint8_t b[4];
        SetLE32(b, static_cast<uint32_t>(v.Int));
        s.WriteBuffer(b, 4);
        break;
    }
    case TValueKind::vkString: case TValueKind::vkBinary: PutLong(s, v.Str); break;
    case TValueKind::vkIdent:
        if (!IsIdentValue(v.Str)) throw EWriteError("Invalid identifier in a form resource: " + v.Str);
        PutShort(s, v.Str, "Identifier");
        break;
    case TValueKind::vkSet:
        for (const auto& n : v.Names) {
            if (!IsIdent(n, false)) throw EWriteError("Invalid set member in a form resource: " + n);
            PutShort(s, n, "Set member");
        }
        PutByte(s, 0);
        break;
    case TValueKind::vkList:
        for (const auto& item : v.List) PutValue(s, item, depth + 1);
        PutByte(s, 0);
        break;
    }
}

void PutObject(TStream& s, const TFormObject& o, int depth) {
    if (depth > KMaxFormDepth) throw EWriteError("Form resource nested too deeply");
    if (!IsIdent(o.ClassName, false)) throw EWriteError("Invalid class name in a form resource: " + o.ClassName);
    if (!o.Name.empty() && !IsIdent(o.Name, false)) throw EWriteError("Invalid object name in a form resource: " + o.Name);
    PutShort(s, o.ClassName, "Class name");
    PutShort(s, o.Name, "Object name");
    for (const auto& p : o.Properties) {
        if (!IsPropertyName(p.Name)) throw EWriteError("Invalid property name in " + o.Name + ": " + p.Name);
        PutShort(s, p.Name, "Property name");
        PutValue(s, p.Value, depth + 1);
    }
    PutByte(s, 0);
    for (const auto& c : o.Children) PutObject(s, c, depth + 1);
    PutByte(s, 0);
}

// ---- binary reader -------------------------------------------------------------------------

class TBinReader {
public:
    TBinReader(TStream& s) : S(s) {}

    uint8_t Byte() {
        uint8_t b;
        if (S.Read(&b, 1) != 1) Fail("unexpected end of data");
        return b;
    }
    std::string Short() {
        uint8_t n = Byte();
        return Bytes(n);
    }
    std::string Bytes(uint64_t n) {
        if (static_cast<int64_t>(n) > S.Remaining()) Fail("a length of " + std::to_string(n) + " runs past the end of the data");
        std::string r(static_cast<size_t>(n), '\0');
        S.ReadBuffer(r.data(), r.size());
        return r;
    }
    uint32_t U32() {
        uint8_t b[4];
        if (S.Read(b, 4) != 4) Fail("unexpected end of data");
        return GetLE32(b);
    }

    TFormValue Value(int depth) {
        if (depth > KMaxFormDepth) Fail("nested too deeply");
        TFormValue v;
        uint8_t k = Byte();
        switch (k) {
        case 1: case 2: case 9: v.Kind = static_cast<TValueKind>(k); break;
        case 3: v.Kind = TValueKind::vkInteger; v.Int = static_cast<int32_t>(U32()); break;
        case 4: case 8: {
            v.Kind = static_cast<TValueKind>(k);
            uint32_t n = U32();
            v.Str = Bytes(n);
            break;
        }
        case 5:
            v.Kind = TValueKind::vkIdent;
            v.Str = Short();
            if (!IsIdentValue(v.Str)) Fail("invalid identifier");
            break;
        case 6:
            v.Kind = TValueKind::vkSet;
            for (;;) {
                std::string n = Short();
                if (n.empty()) break;
                if (!IsIdent(n, false)) Fail("invalid set member");
                v.Names.push_back(std::move(n));
            }
            break;
        case 7:
            v.Kind = TValueKind::vkList;
            for (;;) {
                if (Peek() == 0) { Byte(); break; }
                v.List.push_back(Value(depth + 1));
            }
            break;
        default: Fail("unknown value kind " + std::to_string(k));
        }
        return v;
    }

    TFormObject Object(int depth) {
        if (depth > KMaxFormDepth) Fail("nested too deeply");
        TFormObject o;
        o.ClassName = Short();
        if (!IsIdent(o.ClassName, false)) Fail("invalid class name");
        o.Name = Short();
        if (!o.Name.empty() && !IsIdent(o.Name, false)) Fail("invalid object name");
        for (;;) {
            std::string name = Short();
            if (name.empty()) break;
            if (!IsPropertyName(name)) Fail("invalid property name");
            o.Properties.push_back({std::move(name), Value(depth + 1)});
        }
        for (;;) {
            if (Peek() == 0) { Byte(); break; }
            o.Children.push_back(Object(depth + 1));
        }
        return o;
    }

    uint8_t Peek() {
        uint8_t b = Byte();
        S.Seek(-1, TSeekOrigin::soCurrent);
        return b;
    }

    [[noreturn]] void Fail(const std::string& why) {
        throw EFormResourceError("Invalid form resource: " + why);
    }

private:
    TStream& S;
};

}  // namespace

void WriteFormBinary(TStream& stream, const TFormObject& root) {
    stream.WriteBuffer(KFormSignature, 4);
    PutObject(stream, root, 0);
}

std::string FormToBinary(const TFormObject& root) {
    TMemoryStream m;
    WriteFormBinary(m, root);
    return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

TFormObject ReadFormBinary(TStream& stream) {
    TBinReader r(stream);
    char sig[4];
    if (stream.Read(sig, 4) != 4 || std::string(sig, 4) != std::string(KFormSignature, 4))
        r.Fail("signature missing");
    return r.Object(0);
}

TFormObject FormFromBinary(const void* data, size_t size) {
    TMemoryStream m;
    m.WriteBuffer(data, size);
    m.SetPosition(0);
    TFormObject o = ReadFormBinary(m);
    if (m.Remaining() != 0) throw EFormResourceError("Invalid form resource: data after the end of the root object");
    return o;
}

// ---- text form -----------------------------------------------------------------------------

namespace {

class TTextParser {
public:
    TTextParser(const std::string& text, const std::string& source) : T(text), Src(source) {}

    TFormObject Root() {
        TFormObject o = Object(0);
        Skip();
        if (P < T.size()) Fail("text after the final end");
        return o;
    }

private:
    const std::string& T;
    std::string Src;
    size_t P = 0;

    [[noreturn]] void Fail(const std::string& why) {
        int line = 1;
        for (size_t i = 0; i < P && i < T.size(); ++i) if (T[i] == '\n') ++line;
        throw EFormResourceError(Src + ":" + std::to_string(line) + ": " + why);
    }

    void Skip() {
        for (;;) {
            while (P < T.size() && std::isspace(static_cast<unsigned char>(T[P]))) ++P;
            if (P + 1 < T.size() && T[P] == '/' && T[P + 1] == '/') {
                while (P < T.size() && T[P] != '\n') ++P;
                continue;
            }
            break;
        }
    }

    static bool IdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
    static bool IdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

    std::string Ident(bool dotted = false) {
        Skip();
        if (P >= T.size() || !IdentStart(T[P])) Fail("identifier expected");
        size_t b = P;
        while (P < T.size() && (IdentChar(T[P]) || (dotted && T[P] == '.' && P + 1 < T.size() && IdentStart(T[P + 1])))) ++P;
        return T.substr(b, P - b);
    }

    void Expect(char c) {
        Skip();
        if (P >= T.size() || T[P] != c) Fail(std::string("'") + c + "' expected");
        ++P;
    }

    bool PeekWord(const char* w) {
        Skip();
        size_t n = std::char_traits<char>::length(w);
        if (T.compare(P, n, w) != 0) return false;
        return P + n >= T.size() || !IdentChar(T[P + n]);
    }

    TFormObject Object(int depth) {
        if (depth > KMaxFormDepth) Fail("objects nested too deeply");
        if (!PeekWord("object")) Fail("'object' expected");
        P += 6;
        TFormObject o;
        Skip();
        if (P < T.size() && T[P] != ':') o.Name = Ident();
        Expect(':');
        o.ClassName = Ident();
        for (;;) {
            Skip();
            if (P >= T.size()) Fail("'end' expected");
            if (PeekWord("end")) { P += 3; break; }
            if (PeekWord("object")) { o.Children.push_back(Object(depth + 1)); continue; }
            std::string name = Ident(true);
            Expect('=');
            o.Properties.push_back({name, Value(depth + 1)});
        }
        return o;
    }

    int32_t Number() {
        bool neg = false;
        if (T[P] == '-') { neg = true; ++P; }
        int64_t v = 0;
        int base = 10;
        if (P < T.size() && T[P] == '$') { base = 16; ++P; }
        size_t b = P;
        while (P < T.size() && std::isxdigit(static_cast<unsigned char>(T[P]))) {
            char c = T[P];
            int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10);
            if (d >= base) break;
            v = v * base + d;
            if (v > 0xFFFFFFFFLL) Fail("number out of range");
            ++P;
        }
        if (P == b) Fail("number expected");
        if (base == 10 && v > (neg ? 0x80000000LL : 0x7FFFFFFFLL)) Fail("number out of range");
        if (neg) v = -v;
        return static_cast<int32_t>(static_cast<uint32_t>(v));
    }

    // 'quoted' pieces and #nn character codes written next to each other, joined; '+' joins
    // pieces across blanks and lines.
    std::string StringLit() {
        std::string s;
        Skip();
        for (;;) {
            if (P < T.size() && T[P] == '\'') {
                ++P;
                for (;;) {
                    if (P >= T.size() || T[P] == '\n') Fail("unterminated string");
                    if (T[P] == '\'') {
                        if (P + 1 < T.size() && T[P + 1] == '\'') { s += '\''; P += 2; continue; }
                        ++P;
                        break;
                    }
                    s += T[P++];
                }
                continue;
            }
            if (P < T.size() && T[P] == '#') {
                ++P;
                if (P >= T.size() || !(std::isdigit(static_cast<unsigned char>(T[P])) || T[P] == '$')) Fail("character code expected");
                int32_t c = Number();
                if (c < 0 || c > 255) Fail("character code out of range");
                s += static_cast<char>(c);
                continue;
            }
            size_t save = P;
            Skip();
            if (P < T.size() && T[P] == '+') {
                ++P;
                Skip();
                if (P >= T.size() || (T[P] != '\'' && T[P] != '#')) Fail("string expected after '+'");
                continue;
            }
            P = save;
            break;
        }
        return s;
    }

    TFormValue Value(int depth) {
        if (depth > KMaxFormDepth) Fail("values nested too deeply");
        Skip();
        if (P >= T.size()) Fail("value expected");
        char c = T[P];
        if (c == '\'' || c == '#') return TFormValue::String(StringLit());
        if (c == '-' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) return TFormValue::Integer(Number());
        if (c == '[') {
            ++P;
            std::vector<std::string> names;
            Skip();
            if (P < T.size() && T[P] == ']') { ++P; return TFormValue::Set(names); }
            for (;;) {
                names.push_back(Ident());
                Skip();
                if (P < T.size() && T[P] == ',') { ++P; continue; }
                Expect(']');
                break;
            }
            return TFormValue::Set(names);
        }
        if (c == '(') {
            ++P;
            TFormValue v;
            v.Kind = TValueKind::vkList;
            for (;;) {
                Skip();
                if (P < T.size() && T[P] == ')') { ++P; break; }
                v.List.push_back(Value(depth + 1));
            }
            return v;
        }
        if (c == '{') {
            ++P;
            std::string bytes;
            int half = -1;
            for (;;) {
                Skip();
                if (P >= T.size()) Fail("'}' expected");
                char h = T[P];
                if (h == '}') { ++P; break; }
                if (!std::isxdigit(static_cast<unsigned char>(h))) Fail("hexadecimal digit expected");
                int d = std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : std::tolower(h) - 'a' + 10;
                if (half < 0) half = d; else { bytes += static_cast<char>(half * 16 + d); half = -1; }
                ++P;
            }
            if (half >= 0) Fail("odd number of hexadecimal digits");
            return TFormValue::Binary(bytes);
        }
        std::string id = Ident();
        if (id == "True") return TFormValue::Boolean(true);
        if (id == "False") return TFormValue::Boolean(false);
        if (id == "nil") return TFormValue();
        return TFormValue::Ident(id);
    }
};

void Indent(std::string& out, int depth) { out.append(static_cast<size_t>(depth) * 2, ' '); }

std::string QuoteString(const std::string& s) {
    if (s.empty()) return "''";
    std::string out;
    bool open = false;
    for (unsigned char c : s) {
        if (c < 32 || c == 127) {
            if (open) { out += '\''; open = false; }
            out += '#' + std::to_string(c);
        } else {
            if (!open) { out += '\''; open = true; }
            if (c == '\'') out += "''"; else out += static_cast<char>(c);
        }
    }
    if (open) out += '\'';
    return out;
}

void PrintValue(std::string& out, const TFormValue& v, int depth) {
    static const char hex[] = "0123456789ABCDEF";
    switch (v.Kind) {
    case TValueKind::vkFalse: out += "False"; break;
    case TValueKind::vkTrue: out += "True"; break;
    case TValueKind::vkNil: out += "nil"; break;
    case TValueKind::vkInteger: out += std::to_string(v.Int); break;
    case TValueKind::vkString: out += QuoteString(v.Str); break;
    case TValueKind::vkIdent: out += v.Str; break;
    case TValueKind::vkSet:
        out += '[';
        for (size_t i = 0; i < v.Names.size(); ++i) { if (i) out += ", "; out += v.Names[i]; }
        out += ']';
        break;
    case TValueKind::vkList:
        out += '(';
        for (const auto& item : v.List) {
            out += '\n';
            Indent(out, depth + 1);
            PrintValue(out, item, depth + 1);
        }
        out += ')';
        break;
    case TValueKind::vkBinary:
        out += '{';
        for (size_t i = 0; i < v.Str.size(); ++i) {
            if (i % 32 == 0) { out += '\n'; Indent(out, depth + 1); }
            unsigned char c = static_cast<unsigned char>(v.Str[i]);
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        out += '}';
        break;
    }
}

void PrintObject(std::string& out, const TFormObject& o, int depth) {
    Indent(out, depth);
    out += "object " + o.Name + ": " + o.ClassName + "\n";
    for (const auto& p : o.Properties) {
        Indent(out, depth + 1);
        out += p.Name + " = ";
        PrintValue(out, p.Value, depth + 1);
        out += '\n';
    }
    for (const auto& c : o.Children) PrintObject(out, c, depth + 1);
    Indent(out, depth);
    out += "end\n";
}

}  // namespace

TFormObject ParseFormText(const std::string& text, const std::string& sourceName) {
    return TTextParser(text, sourceName).Root();
}

std::string FormToText(const TFormObject& root) {
    std::string out;
    PrintObject(out, root, 0);
    return out;
}

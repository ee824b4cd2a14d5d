#include "Json.h"
#include <cstdio>

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

bool IsValidUtf8(const std::string& s) {
    size_t i = 0, n = s.size();
    while (i < n) {
        unsigned char c = s[i];
        size_t len;
        uint32_t cp;
        if (c < 0x80) { ++i; continue; }
        else if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
        else return false;
        if (i + len > n) return false;
        for (size_t k = 1; k < len; ++k) {
            unsigned char d = s[i + k];
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::string HexLower(const void* data, size_t size) {
    static const char hex[] = "0123456789abcdef";
    auto* p = static_cast<const unsigned char*>(data);
    std::string s;
    s.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) { s += hex[p[i] >> 4]; s += hex[p[i] & 15]; }
    return s;
}

void TJsonWriter::Separate() {
    if (FAfterKey) { FAfterKey = false; return; }
    if (!FFirst.empty()) {
        if (!FFirst.back()) FText += ", ";
        FFirst.back() = false;
    }
}

TJsonWriter& TJsonWriter::BeginObject() { Separate(); FText += "{"; FFirst.push_back(true); return *this; }
TJsonWriter& TJsonWriter::EndObject() { FText += "}"; FFirst.pop_back(); return *this; }
TJsonWriter& TJsonWriter::BeginArray() { Separate(); FText += "["; FFirst.push_back(true); return *this; }
TJsonWriter& TJsonWriter::EndArray() { FText += "]"; FFirst.pop_back(); return *this; }
TJsonWriter& TJsonWriter::Key(const std::string& key) {
    Separate();
    FText += JsonString(key) + ": ";
    FAfterKey = true;
    return *this;
}
TJsonWriter& TJsonWriter::String(const std::string& v) { Separate(); FText += JsonString(v); return *this; }
TJsonWriter& TJsonWriter::Number(int64_t v) { Separate(); FText += std::to_string(v); return *this; }
TJsonWriter& TJsonWriter::Bool(bool v) { Separate(); FText += v ? "true" : "false"; return *this; }
TJsonWriter& TJsonWriter::Null() { Separate(); FText += "null"; return *this; }

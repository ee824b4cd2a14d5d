#include "CodePage.h"
#include <algorithm>
#include <cstdint>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace {

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

#ifdef _WIN32
std::u16string ToUtf16(const std::string& text, UINT codePage, DWORD flags, bool& ok) {
    ok = true;
    if (text.empty()) return std::u16string();
    int n = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) {
        ok = false;
        return std::u16string();
    }
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<wchar_t*>(&out[0]), n);
    return out;
}

std::string FromUtf16(const std::u16string& text, UINT codePage, BOOL* lossy) {
    if (text.empty()) return std::string();
    const wchar_t* w = reinterpret_cast<const wchar_t*>(text.data());
    int n = WideCharToMultiByte(codePage, 0, w, static_cast<int>(text.size()), nullptr, 0, nullptr, lossy);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, w, static_cast<int>(text.size()), &out[0], n, nullptr, lossy);
    return out;
}
#endif

}  // namespace

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = 0xFFFD;
        size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (n == 1) {
            cp = c < 0x80 ? c : 0xFFFD;
        } else if (i + n <= s.size()) {
            cp = c & (0x3F >> (n - 1));
            for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        i += n;
        if (cp >= 0x110000) cp = 0xFFFD;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 | (cp >> 10));
            out += static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

#ifdef _WIN32

std::u16string AnsiToUtf16(const std::string& text) {
    bool ok;
    return ToUtf16(text, CP_ACP, 0, ok);
}

std::string Utf16ToAnsi(const std::u16string& text) { return FromUtf16(text, CP_ACP, nullptr); }

bool Utf8ToCodePage(const std::string& utf8, unsigned codePage, std::string& out) {
    out.clear();
    bool ok;
    std::u16string wide = ToUtf16(utf8, CP_UTF8, MB_ERR_INVALID_CHARS, ok);
    if (!ok) return false;
    if (codePage == CP_UTF8) {
        out = utf8;
        return true;
    }
    BOOL lossy = FALSE;
    out = FromUtf16(wide, codePage, &lossy);
    return !lossy && (wide.empty() || !out.empty());
}

namespace {
// The system maps the holes of the single-byte code pages (0x81 in 1252) to C1 controls, where
// iconv refuses them: refused here too, so that both builds of the tool judge a file alike.
bool HasC1Control(const std::u16string& wide) {
    return std::any_of(wide.begin(), wide.end(), [](char16_t c) { return c >= 0x80 && c <= 0x9F; });
}

size_t CharacterLength(const std::string& text, size_t i, UINT codePage) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (codePage == CP_UTF8) return c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    return IsDBCSLeadByteEx(codePage, c) ? 2 : 1;
}
}  // namespace

bool CodePageToUtf8(const std::string& text, unsigned codePage, std::string& out, size_t* badAt) {
    if (badAt) *badAt = std::string::npos;
    out.clear();
    if (!IsValidCodePage(codePage)) return false;
    bool ok;
    std::u16string wide = ToUtf16(text, codePage, MB_ERR_INVALID_CHARS, ok);
    if (ok && (codePage == CP_UTF8 || !HasC1Control(wide))) {
        out = Utf16ToUtf8(wide);
        return true;
    }
    // The system converter does not say where it failed: one character at a time, to find it.
    for (size_t i = 0; i < text.size();) {
        const size_t n = CharacterLength(text, i, codePage);
        bool one = i + n <= text.size();
        if (one) {
            const std::u16string w = ToUtf16(text.substr(i, n), codePage, MB_ERR_INVALID_CHARS, one);
            one = one && (codePage == CP_UTF8 || !HasC1Control(w));
        }
        if (!one) {
            if (badAt) *badAt = i;
            return false;
        }
        i += n;
    }
    return false;
}

#else

std::u16string AnsiToUtf16(const std::string& text) { return Utf8ToUtf16(text); }
std::string Utf16ToAnsi(const std::u16string& text) { return Utf16ToUtf8(text); }

namespace {

std::string IconvName(unsigned codePage) { return codePage == 65001 ? "UTF-8" : "CP" + std::to_string(codePage); }

// One whole conversion; false at the first sequence that is not valid in the source or has no
// form in the target.
bool Convert(const std::string& from, const std::string& to, const std::string& in, std::string& out,
             size_t* badAt) {
    out.clear();
    if (badAt) *badAt = std::string::npos;
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    struct TClose {
        iconv_t Cd;
        ~TClose() { iconv_close(Cd); }
    } close{cd};
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    std::vector<char> buf(in.size() * 2 + 16);
    while (left > 0) {
        char* dst = buf.data();
        size_t room = buf.size();
        size_t rc = iconv(cd, &src, &left, &dst, &room);
        out.append(buf.data(), static_cast<size_t>(dst - buf.data()));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            if (badAt) *badAt = in.size() - left;
            out.clear();
            return false;
        }
    }
    return true;
}

}  // namespace

bool Utf8ToCodePage(const std::string& utf8, unsigned codePage, std::string& out) {
    return Convert("UTF-8", IconvName(codePage), utf8, out, nullptr);
}

bool CodePageToUtf8(const std::string& text, unsigned codePage, std::string& out, size_t* badAt) {
    return Convert(IconvName(codePage), "UTF-8", text, out, badAt);
}

#endif

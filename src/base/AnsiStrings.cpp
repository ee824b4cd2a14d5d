#include "AnsiStrings.h"

#ifdef _WIN32
#include <windows.h>

static int Compare(DWORD flags, const std::string& a, const std::string& b) {
    int r = CompareStringA(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                           static_cast<int>(b.size()));
    return r == 0 ? a.compare(b) : r - CSTR_EQUAL;
}

int AnsiCompareText(const std::string& a, const std::string& b) { return Compare(NORM_IGNORECASE, a, b); }
int AnsiCompareStr(const std::string& a, const std::string& b) { return Compare(0, a, b); }

#else

static unsigned char Fold(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

int AnsiCompareText(const std::string& a, const std::string& b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = Fold(a[i]), y = Fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

int AnsiCompareStr(const std::string& a, const std::string& b) {
    if (int r = AnsiCompareText(a, b)) return r;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        // Same letter in another case: the lower-case one sorts first, as the locale does it.
        return static_cast<unsigned char>(a[i]) > static_cast<unsigned char>(b[i]) ? -1 : 1;
    }
    return 0;
}

#endif

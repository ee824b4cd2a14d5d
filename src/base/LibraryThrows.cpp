// The C++ library's throw helpers, raising the program's own Exception (with the library's text)
// instead of the library's exception classes. Those classes keep their text in the library's
// older string type, and the helpers' object drags both string implementations in: about 80 KB
// of every program that uses std::string. Nothing catches the library's specific types; the
// allocation and cast failures keep theirs.
#include "base/SysUtils.h"
#include <cstdarg>
#include <new>
#include <string>
#include <typeinfo>

namespace {
// The library's messages use only %s, %zu and %%.
std::string FormatLibraryText(const char* format, va_list args) {
    std::string text;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            text += *p;
        } else if (p[1] == 's') {
            text += va_arg(args, const char*);
            ++p;
        } else if (p[1] == 'z' && p[2] == 'u') {
            text += std::to_string(va_arg(args, size_t));
            p += 2;
        } else if (p[1] == '%') {
            text += '%';
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}
}  // namespace

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_logic_error(const char* text) { throw Exception(text); }
void __throw_domain_error(const char* text) { throw Exception(text); }
void __throw_invalid_argument(const char* text) { throw Exception(text); }
void __throw_length_error(const char* text) { throw Exception(text); }
void __throw_out_of_range(const char* text) { throw Exception(text); }
void __throw_out_of_range_fmt(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatLibraryText(format, args);
    va_end(args);
    throw Exception(text);
}
void __throw_runtime_error(const char* text) { throw Exception(text); }
void __throw_range_error(const char* text) { throw Exception(text); }
void __throw_overflow_error(const char* text) { throw Exception(text); }
void __throw_underflow_error(const char* text) { throw Exception(text); }
}  // namespace std

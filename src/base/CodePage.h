// Conversions between 8-bit text, UTF-16 and UTF-8. On Windows "ANSI" is the system's code
// page; elsewhere (host tools, native tests) UTF-8 stands in for it.
#pragma once
#include <string>

std::u16string AnsiToUtf16(const std::string& text);
std::string Utf16ToAnsi(const std::u16string& text);

// UTF-16 and UTF-8 on every platform; a lone surrogate or a broken sequence becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);

// UTF-8 text in a Windows code page (932, 1252, 65001 ...). False when the text is not UTF-8,
// the code page is unknown, or a character has no form in it.
bool Utf8ToCodePage(const std::string& utf8, unsigned codePage, std::string& out);
// Text in a Windows code page as UTF-8. False when a byte or sequence is not a character of that
// code page (a lead byte cut off at the end too) or the code page is unknown; `badAt` then gets
// the offset of the first such byte where the converter tells it, else npos.
bool CodePageToUtf8(const std::string& text, unsigned codePage, std::string& out, size_t* badAt = nullptr);

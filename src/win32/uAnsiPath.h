// Paths in a Windows code page (the system's ANSI one unless told), where the second byte of a
// double-byte character can be 0x5C, the backslash: "表" is 0x95 0x5C in code page 932. Their
// delimiters are found character by character, never by byte.
#pragma once
#include <windows.h>
#include <string>

// The position of the last of `delimiters` that stands as a character of its own, or npos.
size_t LastPathDelimiter(const std::string& path, const char* delimiters = "\\/", UINT codePage = CP_ACP);
bool EndsWithPathDelimiter(const std::string& path, UINT codePage = CP_ACP);

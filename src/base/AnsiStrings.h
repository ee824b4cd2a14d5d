// Locale-aware comparison of 8-bit strings in the system's ANSI code page.
#pragma once
#include <string>

// Both return < 0, 0 or > 0. On Windows they use the user's locale (CompareStringA); elsewhere
// (host tools, native tests) a stand-in orders like it for ASCII text: case-folded first, and
// between strings that differ only in case, lower case first.
int AnsiCompareText(const std::string& a, const std::string& b);  // case-insensitive
int AnsiCompareStr(const std::string& a, const std::string& b);   // case-sensitive

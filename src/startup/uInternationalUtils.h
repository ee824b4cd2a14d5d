// The language of the texts: Japanese when the system's default locale is Japanese.
#pragma once
#include <string>

bool IsJapanese();
// A string resource of the program's own module, a backslash-n turned into CR LF.
std::string LoadLangString(unsigned id);
// The backslash-n to CR LF rule on its own.
std::string ExpandLineBreaks(const std::string& text);

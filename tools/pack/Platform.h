// What the tool needs from the host system.
#pragma once
#include <string>

// Converts UTF-8 text to the given Windows code page (932, 1252, 65001, ...).
// Returns false when a character has no form in that code page.
bool Utf8ToCodePage(const std::string& utf8, unsigned codePage, std::string& out);
// Directory of the running executable, with a trailing separator.
std::string ExecutableDirectory();
// Moves a finished temporary file over the target.
bool MoveFileOver(const std::string& from, const std::string& to);

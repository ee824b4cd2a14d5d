// Text helpers for 8-bit strings.
#pragma once
#include <string>
#include <vector>

// Text helpers. A trimmed text has lost its leading and trailing characters of code 32 or below.
std::string Trim(const std::string& text);
std::string RemoveTrailingChar(const std::string& text, const std::string& ch);
std::string QuoteStr(const std::string& text, char quote);
std::string UnquoteStr(const std::string& text, char quote);
void SplitText(std::vector<std::string>& list, const std::string& text, const std::string& separator);
std::string StringReplaceAll(const std::string& text, const std::string& from, const std::string& to);

// Command lines as programs split them: an argument runs up to a blank (code 32 or below) outside
// double quotes, the quotes removed. Starting at `p`, skips the blanks and the next argument
// (stored in `argument` when given) and returns where it ended; `p` past the end gives nothing.
size_t NextArgument(const std::string& line, size_t p, std::string* argument = nullptr);

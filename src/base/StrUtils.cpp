#include "base/StrUtils.h"

std::string Trim(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) --last;
    return text.substr(first, last - first);
}

std::string RemoveTrailingChar(const std::string& text, const std::string& ch) {
    if (!text.empty() && !ch.empty() && text.back() == ch[0]) return text.substr(0, text.size() - 1);
    return text;
}

std::string QuoteStr(const std::string& text, char quote) {
    std::string result(1, quote);
    for (char c : text) {
        result += c;
        if (c == quote) result += quote;
    }
    result += quote;
    return result;
}

std::string UnquoteStr(const std::string& text, char quote) {
    if (text.empty() || text[0] != quote) return text;
    // The text up to the partner quote; doubled quotes inside stand for one.
    std::string result;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                result += quote;
                ++i;
            } else {
                return result;
            }
        } else {
            result += text[i];
        }
    }
    return result;  // no partner: everything after the opening quote
}

void SplitText(std::vector<std::string>& list, const std::string& text, const std::string& separator) {
    list.clear();
    if (separator.empty()) {
        if (!text.empty()) list.push_back(text);
        return;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t p = text.find(separator, start);
        if (p == std::string::npos) {
            list.push_back(text.substr(start));
            return;
        }
        list.push_back(text.substr(start, p - start));
        start = p + separator.size();
    }
}

std::string StringReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    std::string result;
    size_t start = 0;
    for (;;) {
        size_t p = text.find(from, start);
        if (p == std::string::npos) break;
        result.append(text, start, p - start);
        result += to;
        start = p + from.size();
    }
    result.append(text, start, std::string::npos);
    return result;
}

size_t NextArgument(const std::string& line, size_t p, std::string* argument) {
    while (p < line.size() && static_cast<unsigned char>(line[p]) <= ' ') ++p;
    bool quoted = false;
    for (; p < line.size() && (quoted || static_cast<unsigned char>(line[p]) > ' '); ++p) {
        if (line[p] == '"')
            quoted = !quoted;
        else if (argument)
            *argument += line[p];
    }
    return p;
}

#include "startup/uInternationalUtils.h"
#include <windows.h>

std::string ExpandLineBreaks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            result += "\r\n";
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string LoadLangString(unsigned id) {
    char buffer[1024];
    int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    if (n <= 0) return std::string();
    if (n >= static_cast<int>(sizeof buffer)) n = sizeof buffer - 1;
    return ExpandLineBreaks(std::string(buffer, static_cast<size_t>(n)));
}

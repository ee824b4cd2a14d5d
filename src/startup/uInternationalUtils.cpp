#include "startup/uInternationalUtils.h"
#include "win32/uModule.h"

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

std::string LoadLangString(unsigned id) { return ExpandLineBreaks(LoadResourceString(id)); }

#include "win32/uAnsiPath.h"
#include <cstring>

size_t LastPathDelimiter(const std::string& path, const char* delimiters, UINT codePage) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;  // its trail byte is no delimiter
            continue;
        }
        if (path[i] != '\0' && std::strchr(delimiters, path[i])) found = i;
    }
    return found;
}

bool EndsWithPathDelimiter(const std::string& path, UINT codePage) {
    return !path.empty() && LastPathDelimiter(path, "\\/", codePage) == path.size() - 1;
}

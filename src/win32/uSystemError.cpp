#include "win32/uSystemError.h"

std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result(text ? text : "", text ? n : 0);
    if (text) LocalFree(text);
    while (!result.empty() && static_cast<unsigned char>(result.back()) <= ' ') result.pop_back();
    return (result.empty() ? "" : result + " ") + "(code " + std::to_string(code) + ")";
}

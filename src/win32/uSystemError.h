// The system's text for an error code, for logs.
#pragma once
#include <windows.h>
#include <string>

// "text (code N)", the text without its line break; "code N" when the system has none.
std::string SystemErrorText(DWORD code);

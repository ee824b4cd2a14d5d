#include "framework/Component.h"
#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace {
void (*GDesignMessageHandler)(const std::string&) = nullptr;
}

void SetDesignMessageHandler(void (*handler)(const std::string& text)) { GDesignMessageHandler = handler; }

void ShowDesignMessage(const std::string& text) {
    if (GDesignMessageHandler) {
        GDesignMessageHandler(text);
        return;
    }
#ifdef _WIN32
    MessageBoxA(nullptr, text.c_str(), "", MB_OK);
#else
    std::fprintf(stderr, "%s\n", text.c_str());
#endif
}

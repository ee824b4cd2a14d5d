// The first file a directory search finds; the search is closed when the object goes.
#pragma once
#include <windows.h>

class TFindFile {
public:
    explicit TFindFile(const char* pattern) : FHandle(FindFirstFileA(pattern, &FData)) {}
    ~TFindFile() { if (Found()) FindClose(FHandle); }
    TFindFile(const TFindFile&) = delete;
    TFindFile& operator=(const TFindFile&) = delete;

    bool Found() const { return FHandle != INVALID_HANDLE_VALUE; }
    const WIN32_FIND_DATAA& Data() const { return FData; }

private:
    WIN32_FIND_DATAA FData = {};
    HANDLE FHandle;
};

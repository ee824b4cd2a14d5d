// A plain-text log in UTF-8: one line at a time, each written at once, so that a run that is ended
// half-way leaves what it did. Texts are given in a code page (the system's, in the installer).
#pragma once
#include "base/Classes.h"
#include <memory>
#include <string>

class TTextLog {
public:
    TTextLog() = default;  // no log: every line is dropped
    // Replaces the file. A file that cannot be made leaves the log off (Active() is false).
    TTextLog(const std::string& fileName, unsigned codePage);
    TTextLog(TTextLog&&) = default;
    TTextLog& operator=(TTextLog&&) = default;
    bool Active() const { return FFile != nullptr; }
    // One line; a byte that is no character of the code page is written as "?".
    void Line(const std::string& text);

private:
    std::unique_ptr<TFileStream> FFile;
    unsigned FCodePage = 65001;
};

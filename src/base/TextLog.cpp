#include "base/TextLog.h"
#include "base/CodePage.h"

TTextLog::TTextLog(const std::string& fileName, unsigned codePage) : FCodePage(codePage) {
    try {
        FFile = std::make_unique<TFileStream>(fileName, fmCreate);
    } catch (const std::exception&) {
        FFile.reset();
    }
}

void TTextLog::Line(const std::string& text) {
    if (!FFile) return;
    std::string utf8;
    if (!CodePageToUtf8(text, FCodePage, utf8)) {
        // Whatever the text holds, the line is written: ASCII as it is, the rest as "?".
        utf8.clear();
        for (char c : text) utf8 += static_cast<unsigned char>(c) < 0x80 ? c : '?';
    }
    utf8 += "\r\n";
    try {
        FFile->WriteBuffer(utf8.data(), utf8.size());
    } catch (const std::exception&) {
        FFile.reset();  // a full disk ends the log, not the installation
    }
}

#include "FileOps.h"
#include "SysUtils.h"

#ifdef _WIN32
#include <windows.h>

bool MoveFileReplacing(const std::string& from, const std::string& to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    // Windows 9x has no MoveFileEx: delete, then move.
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    DeleteFileA(to.c_str());
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool RemoveFile(const std::string& fileName) { return DeleteFileA(fileName.c_str()) != 0; }

#else
#include <cstdio>
#include <unistd.h>

bool MoveFileReplacing(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& fileName) { return ::unlink(fileName.c_str()) == 0; }

#endif

std::string ScratchFileName(const std::string& fileName) { return fileName + ".part"; }

void WriteFileReplacing(const std::string& fileName, const std::function<void(const std::string& scratch)>& make) {
    const std::string scratch = ScratchFileName(fileName);
    try {
        make(scratch);
        if (!MoveFileReplacing(scratch, fileName)) throw EFCreateError("Cannot create file \"" + fileName + "\"");
    } catch (...) {
        RemoveFile(scratch);
        throw;
    }
}

// The platform half of the file streams.
#include "Classes.h"
#include "SysUtils.h"

#ifdef _WIN32
#include <windows.h>

TFileHandle InvalidFileHandle() { return INVALID_HANDLE_VALUE; }

// One call moves at most this much: ReadFile/WriteFile take 32-bit counts.
static const size_t MaxChunk = 1u << 30;

size_t THandleStream::Read(void* buffer, size_t count) {
    size_t total = 0;
    while (total < count) {
        DWORD n = 0;
        DWORD want = static_cast<DWORD>(count - total < MaxChunk ? count - total : MaxChunk);
        if (!ReadFile(FHandle, static_cast<char*>(buffer) + total, want, &n, nullptr) || n == 0) break;
        total += n;
    }
    return total;
}

size_t THandleStream::Write(const void* buffer, size_t count) {
    size_t total = 0;
    while (total < count) {
        DWORD n = 0;
        DWORD want = static_cast<DWORD>(count - total < MaxChunk ? count - total : MaxChunk);
        if (!WriteFile(FHandle, static_cast<const char*>(buffer) + total, want, &n, nullptr) || n == 0) break;
        total += n;
    }
    return total;
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    DWORD method = origin == TSeekOrigin::soBeginning ? FILE_BEGIN
                 : origin == TSeekOrigin::soCurrent ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(FHandle, distance, &result, method)) return -1;
    return result.QuadPart;
}

void THandleStream::SetSize(int64_t size) {
    Seek(size, TSeekOrigin::soBeginning);
    if (!SetEndOfFile(FHandle)) throw EWriteError("Stream write error");
}

TFileStream::TFileStream(const std::string& fileName, unsigned mode)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(fileName) {
    if (mode == fmCreate) {
        FHandle = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (FHandle == INVALID_HANDLE_VALUE) throw EFCreateError("Cannot create file \"" + fileName + "\"");
        return;
    }
    DWORD access = (mode & 3) == fmOpenRead ? GENERIC_READ
                 : (mode & 3) == fmOpenWrite ? GENERIC_WRITE : GENERIC_READ | GENERIC_WRITE;
    DWORD share = (mode & 0xF0) == fmShareExclusive ? 0
                : (mode & 0xF0) == fmShareDenyWrite ? FILE_SHARE_READ
                : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    FHandle = CreateFileA(fileName.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE) throw EFOpenError("Cannot open file \"" + fileName + "\"");
}

TFileStream::~TFileStream() {
    if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
}

bool FileExists(const std::string& fileName) {
    DWORD attributes = GetFileAttributesA(fileName.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TFileHandle InvalidFileHandle() { return -1; }

size_t THandleStream::Read(void* buffer, size_t count) {
    size_t total = 0;
    while (total < count) {
        ssize_t n = ::read(FHandle, static_cast<char*>(buffer) + total, count - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += static_cast<size_t>(n);
    }
    return total;
}

size_t THandleStream::Write(const void* buffer, size_t count) {
    size_t total = 0;
    while (total < count) {
        ssize_t n = ::write(FHandle, static_cast<const char*>(buffer) + total, count - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += static_cast<size_t>(n);
    }
    return total;
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    return ::lseek(FHandle, static_cast<off_t>(offset), whence);
}

void THandleStream::SetSize(int64_t size) {
    if (::ftruncate(FHandle, static_cast<off_t>(size)) != 0) throw EWriteError("Stream write error");
    Seek(size, TSeekOrigin::soBeginning);
}

TFileStream::TFileStream(const std::string& fileName, unsigned mode)
    : THandleStream(-1), FFileName(fileName) {
    // POSIX has no share modes: deny-none is what it always does.
    if (mode == fmCreate) {
        FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (FHandle < 0) throw EFCreateError("Cannot create file \"" + fileName + "\"");
        return;
    }
    int flags = (mode & 3) == fmOpenRead ? O_RDONLY : (mode & 3) == fmOpenWrite ? O_WRONLY : O_RDWR;
    FHandle = ::open(fileName.c_str(), flags | O_CLOEXEC);
    if (FHandle < 0) throw EFOpenError("Cannot open file \"" + fileName + "\"");
}

TFileStream::~TFileStream() {
    if (FHandle >= 0) ::close(FHandle);
}

bool FileExists(const std::string& fileName) {
    struct stat st;
    return ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
#endif

// Streams: the one stream abstraction that every stored format reads and writes through.
#pragma once
#include "Buffer.h"
#include <cstdint>
#include <string>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    // Raw transfer: returns how many bytes moved, which may be fewer than asked.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size();
    virtual void SetSize(int64_t size) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    int64_t Remaining() { int64_t p = Position(); int64_t s = Size(); return s > p ? s - p : 0; }

    // Checked transfer: raises EReadError / EWriteError when not all bytes move.
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    // Copies count bytes from source's position (all of source when count is 0); returns the count.
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FBuffer.Size()); }
    void SetSize(int64_t size) override;

    uint8_t* Memory() { return FBuffer.Data(); }
    const uint8_t* Memory() const { return FBuffer.Data(); }
    void Clear() { FBuffer.Clear(); FPosition = 0; }
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& target);
    void SaveToFile(const std::string& fileName);
    // Hands the bytes over, leaving the stream empty.
    TBuffer TakeBuffer() { FPosition = 0; return std::move(FBuffer); }
    // Takes the bytes over without copying them; the position goes to the start.
    void AdoptBuffer(TBuffer&& buffer) { FBuffer = std::move(buffer); FPosition = 0; }

private:
    TBuffer FBuffer;
    size_t FPosition = 0;
};

// Open modes, combinable with one share mode as the runtime library has them.
enum : unsigned {
    fmOpenRead = 0x0000, fmOpenWrite = 0x0001, fmOpenReadWrite = 0x0002,
    fmShareExclusive = 0x0010, fmShareDenyWrite = 0x0020, fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

#ifdef _WIN32
using TFileHandle = void*;  // HANDLE
#else
using TFileHandle = int;
#endif
TFileHandle InvalidFileHandle();

// Refers to a handle it does not own.
class THandleStream : public TStream {
public:
    explicit THandleStream(TFileHandle handle) : FHandle(handle) {}
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    TFileHandle Handle() const { return FHandle; }
protected:
    TFileHandle FHandle;
};

// Owns its handle; raises EFOpenError / EFCreateError naming the file when it cannot open it.
class TFileStream : public THandleStream {
public:
    TFileStream(const std::string& fileName, unsigned mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    const std::string& FileName() const { return FFileName; }
private:
    std::string FFileName;
};

bool FileExists(const std::string& fileName);

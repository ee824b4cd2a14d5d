#include "Classes.h"
#include "SysUtils.h"
#include <algorithm>
#include <cstring>

int64_t TStream::Size() {
    int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) { source.SetPosition(0); count = source.Size(); }
    const size_t chunk = 1 << 16;
    TBuffer buffer(static_cast<size_t>(std::min<int64_t>(count, chunk)));
    int64_t left = count;
    while (left > 0) {
        size_t n = static_cast<size_t>(std::min<int64_t>(left, chunk));
        source.ReadBuffer(buffer.Data(), n);
        WriteBuffer(buffer.Data(), n);
        left -= static_cast<int64_t>(n);
    }
    return count;
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
    if (FPosition >= FBuffer.Size()) return 0;
    size_t n = std::min(count, FBuffer.Size() - FPosition);
    std::memcpy(buffer, FBuffer.Data() + FPosition, n);
    FPosition += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return 0;
    size_t end = FPosition + count;
    if (end > FBuffer.Size()) {
        if (end > FBuffer.Capacity()) FBuffer.Reserve(std::max(end, FBuffer.Capacity() + FBuffer.Capacity() / 2));
        size_t old = FBuffer.Size();
        FBuffer.Resize(end);
        if (FPosition > old) std::memset(FBuffer.Data() + old, 0, FPosition - old);
    }
    std::memcpy(FBuffer.Data() + FPosition, buffer, count);
    FPosition = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0
                 : origin == TSeekOrigin::soCurrent ? static_cast<int64_t>(FPosition)
                 : static_cast<int64_t>(FBuffer.Size());
    int64_t p = base + offset;
    if (p < 0) p = 0;
    FPosition = static_cast<size_t>(p);
    return p;
}

void TMemoryStream::SetSize(int64_t size) {
    if (size < 0) size = 0;
    size_t old = FBuffer.Size();
    FBuffer.Resize(static_cast<size_t>(size));
    if (FBuffer.Size() > old) std::memset(FBuffer.Data() + old, 0, FBuffer.Size() - old);
    if (FPosition > FBuffer.Size()) FPosition = FBuffer.Size();
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    int64_t size = source.Size();
    SetSize(size);
    FPosition = 0;
    source.ReadBuffer(FBuffer.Data(), static_cast<size_t>(size));
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& target) { target.WriteBuffer(FBuffer.Data(), FBuffer.Size()); }

void TMemoryStream::SaveToFile(const std::string& fileName) {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

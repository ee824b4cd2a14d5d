#include "Buffer.h"
#include "SysUtils.h"
#include <cstring>

TBuffer::TBuffer(const void* data, size_t size) {
    Resize(size);
    if (size) std::memcpy(FData, data, size);
}

void TBuffer::Reserve(size_t capacity) {
    if (capacity <= FCapacity) return;
    void* p = std::realloc(FData, capacity);
    if (!p) throw EOutOfMemory("Out of memory");
    FData = static_cast<uint8_t*>(p);
    FCapacity = capacity;
}

void TBuffer::Resize(size_t size) {
    Reserve(size);
    FSize = size;
}

void TBuffer::ShrinkToFit() {
    if (FSize == FCapacity) return;
    if (FSize == 0) { Clear(); return; }
    if (void* p = std::realloc(FData, FSize)) { FData = static_cast<uint8_t*>(p); FCapacity = FSize; }
}

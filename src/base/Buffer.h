// An owned, growable byte buffer without zero-filling, for payloads that may be large.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

class TBuffer {
public:
    TBuffer() = default;
    explicit TBuffer(size_t size) { Resize(size); }
    TBuffer(const void* data, size_t size);
    TBuffer(TBuffer&& other) noexcept { Swap(other); }
    TBuffer& operator=(TBuffer&& other) noexcept { TBuffer(std::move(other)).Swap(*this); return *this; }
    TBuffer(const TBuffer&) = delete;
    TBuffer& operator=(const TBuffer&) = delete;
    ~TBuffer() { std::free(FData); }

    uint8_t* Data() { return FData; }
    const uint8_t* Data() const { return FData; }
    size_t Size() const { return FSize; }
    size_t Capacity() const { return FCapacity; }
    bool Empty() const { return FSize == 0; }

    // Keeps the first min(old, new) bytes; new bytes are undefined. Raises EOutOfMemory.
    void Resize(size_t size);
    void Reserve(size_t capacity);
    // Gives the memory back when the buffer holds more than it uses.
    void ShrinkToFit();
    void Clear() { std::free(FData); FData = nullptr; FSize = FCapacity = 0; }
    void Swap(TBuffer& other) noexcept {
        std::swap(FData, other.FData); std::swap(FSize, other.FSize); std::swap(FCapacity, other.FCapacity);
    }

private:
    uint8_t* FData = nullptr;
    size_t FSize = 0;
    size_t FCapacity = 0;
};

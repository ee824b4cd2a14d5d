// Kernel handles. A plain HANDLE only refers to an object; THandle owns one and closes it.
#pragma once
#include <windows.h>

class THandle {
public:
    THandle() = default;
    explicit THandle(HANDLE handle) : FHandle(handle) {}
    ~THandle() { Close(); }
    THandle(THandle&& other) noexcept : FHandle(other.Detach()) {}
    THandle& operator=(THandle&& other) noexcept {
        if (this != &other) {
            Close();
            FHandle = other.Detach();
        }
        return *this;
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;

    // Null and INVALID_HANDLE_VALUE both mean none: the system returns either, by function.
    bool Valid() const { return FHandle != nullptr && FHandle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return FHandle; }
    // For out-parameters: closes what is held and gives the slot to fill.
    HANDLE* Receive() {
        Close();
        return &FHandle;
    }
    HANDLE Detach() {
        HANDLE h = FHandle;
        FHandle = nullptr;
        return h;
    }
    void Close() {
        if (Valid()) CloseHandle(FHandle);
        FHandle = nullptr;
    }

private:
    HANDLE FHandle = nullptr;
};

// A manual-reset event: one thread says something is ready, others wait for it.
#pragma once
#include "win32/uHandle.h"

class TManualEvent {
public:
    TManualEvent() : FHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    bool Valid() const { return FHandle.Valid(); }
    void Set() const { SetEvent(FHandle.Get()); }
    void Wait() const { WaitForSingleObject(FHandle.Get(), INFINITE); }

private:
    THandle FHandle;
};

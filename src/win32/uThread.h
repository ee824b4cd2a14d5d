// A system thread that runs one function and is waited for, without the library's thread class
// (which takes about 100 KB of runtime into a program).
#pragma once
#include "base/BackgroundJob.h"
#include "win32/uHandle.h"
#include <windows.h>

class TThread : public TBackgroundJob {
public:
    TThread() = default;
    ~TThread() override { Join(); }
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    bool Start(void (*job)(void* context), void* context) override {
        Join();
        FJob = job;
        FContext = context;
        *FHandle.Receive() = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        return FHandle.Valid();
    }
    void Join() override {
        if (!FHandle.Valid()) return;
        WaitForSingleObject(FHandle.Get(), INFINITE);
        FHandle.Close();
    }
    // A millisecond: the job waits for data that arrives at hundreds of kilobytes per millisecond.
    void Pause() override { Sleep(1); }

private:
    static DWORD WINAPI Run(LPVOID self) {
        auto* t = static_cast<TThread*>(self);
        t->FJob(t->FContext);
        return 0;
    }
    THandle FHandle;
    void (*FJob)(void*) = nullptr;
    void* FContext = nullptr;
};

// A second thread for portable code that has none of its own: the caller decides how a job is
// run (a system thread in the Windows programs, std::thread in tests). The job only computes.
#pragma once

class TBackgroundJob {
public:
    virtual ~TBackgroundJob() = default;
    // Starts job(context) on another thread; false when none could be had (the caller then
    // does the work itself).
    virtual bool Start(void (*job)(void* context), void* context) = 0;
    // Waits for the started job to end.
    virtual void Join() = 0;
    // Called by the job while it waits for more work.
    virtual void Pause() = 0;
};

// A percentage on standard error while long work runs, for a person at a terminal.
#pragma once
#include "base/Progress.h"
#include <chrono>
#include <string>

// Shown only for work of some size, at most five times a second, and cleared when the work
// ends (or the object goes), so that what is printed next starts on a clean line.
class TProgressLine {
public:
    // `show`: standard error is a terminal and the output is not meant for a program.
    TProgressLine(std::string label, bool show);
    ~TProgressLine() { Clear(); }
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;
    // What the work reports to; null when nothing is to be shown, so that it pays nothing.
    const TProgress* Sink() const { return FShow ? &FProgress : nullptr; }
    void Clear();

    // Work this small ends before a percentage could be read.
    static constexpr uint64_t MinimumBytes = 4u << 20;

private:
    static void Report(void* self, uint64_t done, uint64_t total);
    std::string FLabel;
    bool FShow;
    TProgress FProgress;
    std::chrono::steady_clock::time_point FLast;
    size_t FWidth = 0;  // of the line on screen; 0 when none is
    int FPercent = -1;
};

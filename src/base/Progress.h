// How far a long piece of work has got, for a caller that wants to show it. A plain function and
// its context: work that nobody watches pays one null test per chunk and nothing else, and the
// listener, not the work, decides how often anything is shown.
#pragma once
#include <cstdint>

struct TProgress {
    void (*Report)(void* context, uint64_t done, uint64_t total) = nullptr;
    void* Context = nullptr;
    void operator()(uint64_t done, uint64_t total) const {
        if (Report) Report(Context, done, total);
    }
};

// Where diagnostic trace lines go. Readers that trace (the SWF action walk) know only this;
// the debug trace window installs itself as the process's target.
#pragma once
#include <string>

class TTraceTarget {
public:
    virtual ~TTraceTarget() = default;
    virtual void Trace(const std::string& line) = 0;
};

// The process's trace target; none (nullptr) until a trace window installs itself.
TTraceTarget* TraceTarget();
void SetTraceTarget(TTraceTarget* target);

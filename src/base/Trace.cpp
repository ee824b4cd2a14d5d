#include "base/Trace.h"

namespace {
TTraceTarget* GTraceTarget = nullptr;
}

TTraceTarget* TraceTarget() { return GTraceTarget; }
void SetTraceTarget(TTraceTarget* target) { GTraceTarget = target; }

#include "ProgressLine.h"
#include <algorithm>
#include <cstdio>

TProgressLine::TProgressLine(std::string label, bool show) : FLabel(std::move(label)), FShow(show) {
    FProgress.Report = &TProgressLine::Report;
    FProgress.Context = this;
}

void TProgressLine::Report(void* self, uint64_t done, uint64_t total) {
    auto& line = *static_cast<TProgressLine*>(self);
    if (total < MinimumBytes) return;
    const auto now = std::chrono::steady_clock::now();
    const int percent = static_cast<int>(std::min<uint64_t>(done, total) * 100 / total);
    if (percent == line.FPercent) return;
    if (line.FWidth && now - line.FLast < std::chrono::milliseconds(200)) return;
    line.FLast = now;
    line.FPercent = percent;
    const std::string text = "kestrin-pack: " + line.FLabel + " " + std::to_string(percent) + "%";
    // Padded over a longer line shown before, so that no characters of it stay behind.
    std::fprintf(stderr, "\r%-*s", static_cast<int>(std::max(line.FWidth, text.size())), text.c_str());
    std::fflush(stderr);
    line.FWidth = std::max(line.FWidth, text.size());
}

void TProgressLine::Clear() {
    if (!FWidth) return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(FWidth), "");
    std::fflush(stderr);
    FWidth = 0;
    FPercent = -1;
}

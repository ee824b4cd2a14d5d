// Times one icon replacement and reports the memory it took: bench_set_icon EXE ICO [GROUP].
// EXE is rewritten in place; run it on a copy.
#include "container/uResourceTree.h"
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {

long ResidentKb(const char* field) {  // VmRSS or VmHWM of this process, in KiB
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long value = 0;
    size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') value = std::atol(line + n + 1);
    std::fclose(f);
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_set_icon EXE ICO [GROUP]\n");
        return 2;
    }
    long before = ResidentKb("VmRSS");
    TFileStream probe(argv[1], fmOpenRead | fmShareDenyNone);
    int64_t size = probe.Size();
    auto start = std::chrono::steady_clock::now();
    try {
        TFileStream icon(argv[2], fmOpenRead | fmShareDenyNone);
        if (!ReplaceIconFromStream(argv[1], icon, argc > 3 ? argv[3] : "MAINICON")) {
            std::fprintf(stderr, "no such icon group\n");
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "set-icon failed: %s\n", e.what());
        return 1;
    }
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    long peak = ResidentKb("VmHWM");
    double used = (peak - before) * 1024.0;
    std::printf("set-icon: %lld bytes in %.1f ms; peak resident %ld KiB, %.0f KiB above the start (%.2f x the file, limit 4)\n",
                static_cast<long long>(size), ms, peak, used / 1024, used / static_cast<double>(size));
    return used < 4.0 * size ? 0 : 3;
}

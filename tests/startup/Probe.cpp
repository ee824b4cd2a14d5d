// A helper process for the start-up tests, steered by environment variables:
//   KESTRIN_PROBE_MODE=args  writes its arguments 1..n, one a line, to KESTRIN_PROBE_OUT;
//   KESTRIN_PROBE_MODE=hold  creates the mutex KESTRIN_PROBE_MUTEX, sets the event
//                            KESTRIN_PROBE_READY and holds the mutex until KESTRIN_PROBE_DONE is set.
#include "startup/uStartup.h"
#include <windows.h>
#include <string>

namespace {
std::string Env(const char* name) {
    char buffer[1024];
    DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}
}  // namespace

int main() {
    std::string mode = Env("KESTRIN_PROBE_MODE");
    if (mode == "args") {
        std::string text;
        int count = ParamCount(GetCommandLineA());
        for (int i = 1; i <= count; ++i) text += ParamStr(i) + "\n";
        HANDLE f = CreateFileA(Env("KESTRIN_PROBE_OUT").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) return 2;
        DWORD written = 0;
        WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(f);
        return 0;
    }
    if (mode == "hold") {
        HANDLE mutex = CreateMutexA(nullptr, TRUE, Env("KESTRIN_PROBE_MUTEX").c_str());
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, Env("KESTRIN_PROBE_READY").c_str());
        HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, Env("KESTRIN_PROBE_DONE").c_str());
        if (!mutex || !ready || !done) return 3;
        SetEvent(ready);
        WaitForSingleObject(done, 30000);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
        return 0;
    }
    return 1;
}

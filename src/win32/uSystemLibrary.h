// Loading of system libraries that cannot be planted: an installer typically runs from a
// downloads folder, where a stray version.dll or uxtheme.dll would otherwise win the search.
#pragma once
#include <windows.h>
#include <string>

// Restricts the library search of the whole process to the system directory. Call it first
// thing in the program entry. Systems without the newer call still lose the current
// directory from the search; very old ones keep their default order.
void HardenDllSearchPath();

// The system directory with a trailing "\", or empty.
std::string SystemDirectory();

// Loads a library from the system directory by its full path; 0 on failure.
HMODULE LoadSystemLibrary(const char* name);

// The address of an export as the function type the caller names; null when absent. The one
// way this program binds a function at run time.
template <typename F> F ProcAddress(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
template <typename F> bool BindProc(HMODULE module, F& fn, const char* name) {
    fn = ProcAddress<F>(module, name);
    return fn != nullptr;
}

// A library loaded from the system directory, freed when the object goes.
class TSystemLibrary {
public:
    TSystemLibrary() = default;
    explicit TSystemLibrary(const char* name) : FHandle(LoadSystemLibrary(name)) {}
    ~TSystemLibrary() { Free(); }
    TSystemLibrary(const TSystemLibrary&) = delete;
    TSystemLibrary& operator=(const TSystemLibrary&) = delete;

    bool Load(const char* name) { if (!FHandle) FHandle = LoadSystemLibrary(name); return FHandle != nullptr; }
    void Free() { if (FHandle) { FreeLibrary(FHandle); FHandle = nullptr; } }
    bool Loaded() const { return FHandle != nullptr; }
    HMODULE Handle() const { return FHandle; }
    // The address of an export as the function type the caller names; null when absent.
    template <typename F> F Proc(const char* name) const { return ProcAddress<F>(FHandle, name); }

private:
    HMODULE FHandle = nullptr;
};

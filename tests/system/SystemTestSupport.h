// Helpers of the system tests: a scratch registry key that is removed afterwards, and paths
// of the fixtures the build made.
#pragma once
#include "TestSupport.h"
#include "system/uUtils.h"
#include <windows.h>
#include <string>

// A key below a root that the test owns; deleted with its subtree when the test ends.
class TScratchKey {
public:
    TScratchKey(HKEY root, std::string path) : FRoot(root), FPath(std::move(path)) { DeleteRegTree(FRoot, FPath); }
    ~TScratchKey() { DeleteRegTree(FRoot, FPath); }
    const std::string& Path() const { return FPath; }
    HKEY Root() const { return FRoot; }
private:
    HKEY FRoot;
    std::string FPath;
};

// Writes raw bytes of a type, for values the code under test did not write.
inline bool WriteRawValue(HKEY root, const std::string& key, const std::string& name, DWORD type, const void* data,
                          DWORD size) {
    TRegKey k;
    if (!k.Create(root, key, KEY_ALL_ACCESS)) return false;
    return RegSetValueExA(k.Handle(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

inline std::string WindowsPath(std::string s) {
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

inline std::string BuildFile(const std::string& relative) {
    return WindowsPath(testing_support::NativePath(testing_support::EnvPath("KESTRIN_BIN_DIR") / relative));
}

// Restores a registry value that a test changes.
class TSavedValue {
public:
    TSavedValue(HKEY root, std::string key, std::string name) : FRoot(root), FKey(std::move(key)), FName(std::move(name)) {
        TRegKey k;
        if (k.Open(FRoot, FKey, KEY_QUERY_VALUE)) {
            DWORD size = sizeof FData;
            FExisted = k.QueryValue(FName, FType, FData, size);
            FSize = size;
        }
    }
    ~TSavedValue() {
        if (FKept) return;
        TRegKey k;
        if (!k.Open(FRoot, FKey, KEY_SET_VALUE)) return;
        if (FExisted)
            RegSetValueExA(k.Handle(), FName.c_str(), 0, FType, FData, FSize);
        else
            k.DeleteValue(FName);
    }
    // The value as it is now stays when the object goes.
    void Keep() { FKept = true; }
private:
    HKEY FRoot;
    std::string FKey, FName;
    bool FKept = false;
    bool FExisted = false;
    DWORD FType = 0, FSize = 0;
    BYTE FData[1024] = {};
};

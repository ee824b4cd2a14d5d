#include "win32/uRegistry.h"
#include "win32/uAnsiPath.h"
#include "base/StrUtils.h"
#include <memory>

TRegKey& TRegKey::operator=(TRegKey&& other) noexcept {
    if (this != &other) {
        Close();
        FKey = other.FKey;
        other.FKey = nullptr;
    }
    return *this;
}

bool TRegKey::Open(HKEY root, const std::string& subKey, REGSAM access) {
    Close();
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, access, &key) != ERROR_SUCCESS) return false;
    FKey = key;
    return true;
}

bool TRegKey::Create(HKEY root, const std::string& subKey, REGSAM access) {
    Close();
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    FKey = key;
    return true;
}

void TRegKey::Close() {
    if (FKey) {
        RegCloseKey(FKey);
        FKey = nullptr;
    }
}

bool TRegKey::QueryValue(const std::string& name, DWORD& type, void* buffer, DWORD& size) const {
    if (!FKey) return false;
    return RegQueryValueExA(FKey, name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &size) ==
           ERROR_SUCCESS;
}

bool TRegKey::QueryText(const std::string& name, DWORD bufferSize, std::string& text) const {
    text.clear();
    std::unique_ptr<char[]> buffer(new char[bufferSize]);
    DWORD size = bufferSize;
    DWORD type = REG_SZ;
    if (!QueryValue(name, type, buffer.get(), size)) return false;
    if (size > bufferSize) size = bufferSize;  // never trust a count beyond the buffer
    size_t length = 0;
    while (length < size && buffer[length] != '\0') ++length;
    text.assign(buffer.get(), length);
    return true;
}

bool TRegKey::SetText(const std::string& name, const std::string& text, bool countNul) const {
    if (!FKey) return false;
    DWORD count = static_cast<DWORD>(text.size() + (countNul ? 1 : 0));
    return RegSetValueExA(FKey, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), count) ==
           ERROR_SUCCESS;
}

bool TRegKey::SetDWord(const std::string& name, DWORD value) const {
    return FKey && RegSetValueExA(FKey, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                  sizeof value) == ERROR_SUCCESS;
}

bool TRegKey::DeleteValue(const std::string& name) const {
    return FKey && RegDeleteValueA(FKey, name.c_str()) == ERROR_SUCCESS;
}

bool DeleteRegTree(HKEY root, const std::string& subKey) {
    if (subKey.empty()) return false;  // never the root itself
    {
        TRegKey key;
        if (!key.Open(root, subKey, KEY_READ | KEY_WRITE)) return true;  // nothing there
        // Children first; the index stays 0 because each deletion shifts the rest down.
        char name[256];
        for (;;) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key.Handle(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            if (!DeleteRegTree(root, subKey + "\\" + std::string(name, length))) return false;
        }
    }
    return RegDeleteKeyA(root, subKey.c_str()) == ERROR_SUCCESS;
}

// ---- by path ----

namespace {
constexpr DWORD RegTextBufferSize = 255;
}

void SplitRegPath(const std::string& path, std::string& key, std::string& valueName) {
    size_t p = LastPathDelimiter(path, "\\");
    if (p == std::string::npos) {
        key.clear();
        valueName = path;
    } else {
        key = path.substr(0, p);
        valueName = path.substr(p + 1);
    }
    if (!key.empty() && key[0] == '\\') key.erase(0, 1);
}

bool ReadRegValue(HKEY root, const std::string& key, const std::string& valueName, DWORD& valueType,
                  void* buffer, DWORD& bufferSize) {
    TRegKey k;
    if (!k.Open(root, key, KEY_QUERY_VALUE)) return false;
    return k.QueryValue(valueName, valueType, buffer, bufferSize);
}

std::string ReadRegString(HKEY root, const std::string& key, const std::string& valueName) {
    TRegKey k;
    std::string text;
    if (!k.Open(root, key, KEY_QUERY_VALUE) || !k.QueryText(valueName, RegTextBufferSize, text)) return std::string();
    return Trim(text);
}

std::string ReadRegDefault(HKEY root, const std::string& key) {
    return ReadRegString(root, RemoveTrailingChar(key, "\\"), std::string());
}

std::string ReadRegValueByPath(HKEY root, const std::string& path) {
    std::string key, name;
    SplitRegPath(path, key, name);
    return ReadRegString(root, key, name);
}

void WriteRegString(HKEY root, const std::string& key, const std::string& valueName, const std::string& text) {
    TRegKey k;
    if (k.Create(root, key, KEY_ALL_ACCESS)) k.SetText(valueName, text, false);
}

void WriteRegValueByPath(HKEY root, const std::string& path, const std::string& text) {
    std::string key, name;
    SplitRegPath(path, key, name);
    WriteRegString(root, key, name, text);
}

// Registry keys. TRegKey is the one registry wrapper: it owns its key and closes it.
#pragma once
#include <windows.h>
#include <string>

// An open registry key, closed when the object goes.
class TRegKey {
public:
    TRegKey() = default;
    explicit TRegKey(HKEY key) : FKey(key) {}
    ~TRegKey() { Close(); }
    TRegKey(TRegKey&& other) noexcept : FKey(other.FKey) { other.FKey = nullptr; }
    TRegKey& operator=(TRegKey&& other) noexcept;
    TRegKey(const TRegKey&) = delete;
    TRegKey& operator=(const TRegKey&) = delete;

    bool Open(HKEY root, const std::string& subKey, REGSAM access);
    // Opens the key, creating it and its parents when missing.
    bool Create(HKEY root, const std::string& subKey, REGSAM access);
    void Close();
    bool IsOpen() const { return FKey != nullptr; }
    HKEY Handle() const { return FKey; }

    // RegQueryValueExA: on entry `size` is the buffer's capacity, on success the bytes written.
    bool QueryValue(const std::string& name, DWORD& type, void* buffer, DWORD& size) const;
    // A value of up to bufferSize bytes as text: exactly the bytes returned, cut at the first
    // NUL, so a value stored without its terminator loses nothing and nothing past it is read.
    bool QueryText(const std::string& name, DWORD bufferSize, std::string& text) const;
    // REG_SZ; with countNul the byte count includes the terminator.
    bool SetText(const std::string& name, const std::string& text, bool countNul) const;
    bool SetDWord(const std::string& name, DWORD value) const;
    bool DeleteValue(const std::string& name) const;

private:
    HKEY FKey = nullptr;
};

// Deletes a key with everything below it; true when it is gone afterwards.
bool DeleteRegTree(HKEY root, const std::string& subKey);

// Registry path: key + "\" + value name.
void SplitRegPath(const std::string& path, std::string& key, std::string& valueName);
bool ReadRegValue(HKEY root, const std::string& key, const std::string& valueName, DWORD& valueType,
                  void* buffer, DWORD& bufferSize);
std::string ReadRegString(HKEY root, const std::string& key, const std::string& valueName);
std::string ReadRegDefault(HKEY root, const std::string& key);
std::string ReadRegValueByPath(HKEY root, const std::string& path);
void WriteRegString(HKEY root, const std::string& key, const std::string& valueName, const std::string& text);
void WriteRegValueByPath(HKEY root, const std::string& path, const std::string& text);

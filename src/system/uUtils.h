// Registry access by path, the shell's open command of a file type, quoting, dotted
// version texts and the version text of a file. Nothing here raises or shows anything:
// a failure is an empty text or false.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// An open registry key, closed when the object goes. The one registry wrapper of the program.
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
    bool DeleteValue(const std::string& name) const;

private:
    HKEY FKey = nullptr;
};

// Deletes a key with everything below it; true when it is gone afterwards.
bool DeleteRegTree(HKEY root, const std::string& subKey);

// Text helpers. A trimmed text has lost its leading and trailing characters of code 32 or below.
std::string Trim(const std::string& text);
std::string RemoveTrailingChar(const std::string& text, const std::string& ch);
std::string QuoteStr(const std::string& text, char quote);
std::string UnquoteStr(const std::string& text, char quote);
void SplitText(std::vector<std::string>& list, const std::string& text, const std::string& separator);
std::string StringReplaceAll(const std::string& text, const std::string& from, const std::string& to);

// Registry path: key + "\" + value name.
void SplitRegPath(const std::string& path, std::string& key, std::string& valueName);
bool ReadRegValue(HKEY root, const std::string& key, const std::string& valueName, DWORD& valueType,
                  void* buffer, DWORD& bufferSize);
std::string ReadRegString(HKEY root, const std::string& key, const std::string& valueName);
std::string ReadRegDefault(HKEY root, const std::string& key);
std::string ReadRegValueByPath(HKEY root, const std::string& path);
void WriteRegString(HKEY root, const std::string& key, const std::string& valueName, const std::string& text);
void WriteRegValueByPath(HKEY root, const std::string& path, const std::string& text);

// Dotted versions: pieces compared as numbers from the left; a piece that is missing or not
// a number counts as 0.
int CompareVersions(const std::string& a, const std::string& b);
bool VersionAtLeast(const std::string& a, const std::string& b);
// The product version of a file's fixed version information as "a.b.c.d", or empty.
std::string GetFileVersionText(const std::string& fileName);

// The quoted program path of the shell's open command for an extension ("htm" or ".htm").
std::string GetAssociatedCommand(const std::string& extension);

// ExpandEnvironmentStringsA into a buffer of the given size; empty on failure.
std::string ExpandEnvironment(const std::string& text, DWORD bufferSize);

// Registry access by path, the shell's open command of a file type, quoting, dotted
// version texts and the version text of a file. Nothing here raises or shows anything:
// a failure is an empty text or false.
#pragma once
#include "win32/uRegistry.h"
#include <windows.h>
#include <string>
#include <vector>

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

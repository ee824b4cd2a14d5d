// Dotted version texts, the version text of a file, the shell's open command of a file type and
// environment expansion; the text helpers and registry access by path beside them. Nothing here
// raises or shows anything: a failure is an empty text or false.
#pragma once
#include "base/StrUtils.h"
#include "win32/uRegistry.h"
#include <windows.h>
#include <string>
#include <vector>

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

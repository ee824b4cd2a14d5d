// The path of a loaded module, and the application title derived from the program's own.
#pragma once
#include <windows.h>
#include <string>

// The full path of the module (the program itself by default); empty on failure.
std::string ModuleFileName(HMODULE module = nullptr);
// The directory of the running program, with a trailing "\".
std::string ModuleDirectory();
// The executable's file name without directory and extension, its first character as it is,
// the rest in lower case (in the ANSI code page, so double-byte characters stay whole).
std::string TitleFromExeName(const std::string& exePath);
// TitleFromExeName of the running program: the default application title.
std::string ApplicationTitle();
// A string resource of the module (the program itself by default), up to 1023 bytes; empty
// when there is none.
std::string LoadResourceString(unsigned id, HMODULE module = nullptr);
// The bytes of an RCDATA resource of the program itself, mapped for the life of the process;
// false when there is none.
bool FindModuleResource(const char* name, const void*& data, size_t& size);

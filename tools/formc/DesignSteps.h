// The design-time steps of the form compiler, by class name.
#pragma once
#include "framework/FormResource.h"
#include <string>

// Converts every string value from UTF-8 to the given Windows code page (932: Shift-JIS).
void ConvertStrings(TFormObject& obj, int codepage);
// Lets the components that store derived data compute it: the file embedder reads the file
// named by FileName (relative to baseDir), the bitmap list its picture files.
void RunDesignSteps(TFormObject& obj, const std::string& baseDir);

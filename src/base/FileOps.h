// Whole-file operations beyond the streams.
#pragma once
#include <string>

// Moves a file onto another name, replacing a file of that name. False on failure.
bool MoveFileReplacing(const std::string& from, const std::string& to);
// Deletes a file. False when it could not (or there was none).
bool RemoveFile(const std::string& fileName);

// Whole-file operations beyond the streams.
#pragma once
#include <functional>
#include <string>

// Moves a file onto another name, replacing a file of that name. False on failure.
bool MoveFileReplacing(const std::string& from, const std::string& to);
// Deletes a file. False when it could not (or there was none).
bool RemoveFile(const std::string& fileName);

// The name of the scratch file that WriteFileReplacing writes beside the target.
std::string ScratchFileName(const std::string& fileName);
// Writes a file so that it is never seen half written: `make` creates the scratch file beside
// the target by any means, which then takes the target's name. On any failure the scratch file
// is removed, a file already there stays as it was, and the error passes on (EFCreateError when
// the final move fails).
void WriteFileReplacing(const std::string& fileName, const std::function<void(const std::string& scratch)>& make);

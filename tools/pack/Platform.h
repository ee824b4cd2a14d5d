// What the tool needs from the host system.
#pragma once
#include <string>

// Directory of the running executable, with a trailing separator.
std::string ExecutableDirectory();
// Whether standard error is a terminal, where a person may be watching.
bool StderrIsTerminal();

// What the tool needs from the host system.
#pragma once
#include <string>

// Directory of the running executable, with a trailing separator.
std::string ExecutableDirectory();

#include "Platform.h"

#ifdef _WIN32
#include "win32/uModule.h"
#include <cstdio>
#include <io.h>

std::string ExecutableDirectory() { return ModuleDirectory(); }
bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

#else
#include <unistd.h>
#include <vector>

std::string ExecutableDirectory() {
    std::vector<char> path(4096);
    ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return std::string();
    std::string s(path.data(), static_cast<size_t>(n));
    return s.substr(0, s.find_last_of('/') + 1);
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }
#endif

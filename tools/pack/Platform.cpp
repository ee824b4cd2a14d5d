#include "Platform.h"

#ifdef _WIN32
#include "win32/uModule.h"

std::string ExecutableDirectory() { return ModuleDirectory(); }

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
#endif

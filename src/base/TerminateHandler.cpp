// An uncaught exception ends the program without printing a demangled name; the library's
// verbose handler would pull the demangler (about 77 KB) into every binary.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}

# Cross build for 32-bit Windows with Debian's MinGW-w64 (posix thread model: GoogleTest needs std::mutex, which the win32 model lacks).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
# The archivers that index the link-time code of the objects too (CMakeLists.txt uses them).
find_program(KESTRIN_LTO_AR ${TOOLCHAIN_PREFIX}-gcc-ar-posix)
find_program(KESTRIN_LTO_RANLIB ${TOOLCHAIN_PREFIX}-gcc-ranlib-posix)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The shipped programs start no std::thread: they are linked with the runtime of the win32 thread
# model, which needs no threading library (winpthread, about 30 KB with its unwind tables).
find_program(KESTRIN_PRODUCT_LINKER ${TOOLCHAIN_PREFIX}-g++-win32)

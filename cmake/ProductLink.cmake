# Included by the folders of the shipped programs (the installer, the uninstaller): their
# executables link with the win32 thread model's runtime where the toolchain has one. Their code
# uses no thread class of the library, so the thread model of the headers does not matter to it.
if(KESTRIN_PRODUCT_LINKER)
  string(REPLACE "<CMAKE_CXX_COMPILER>" "${KESTRIN_PRODUCT_LINKER}" CMAKE_CXX_LINK_EXECUTABLE
         "${CMAKE_CXX_LINK_EXECUTABLE}")
endif()

# Included by the folders of the shipped programs (the installer, the uninstaller): their
# executables link with the win32 thread model's runtime where the toolchain has one. Their code
# uses no thread class of the library, so the thread model of the headers does not matter to it.
if(KESTRIN_PRODUCT_LINKER)
  string(REPLACE "<CMAKE_CXX_COMPILER>" "${KESTRIN_PRODUCT_LINKER}" CMAKE_CXX_LINK_EXECUTABLE
         "${CMAKE_CXX_LINK_EXECUTABLE}")
endif()

# A shipped program is optimised at link time, over all the code it links; its linker map (beside
# it, TARGET.map) says which library members it took, which the tests check.
function(kestrin_product_link target)
  target_link_options(${target} PRIVATE -flto=auto "LINKER:-Map=$<TARGET_FILE_DIR:${target}>/${target}.map")
endfunction()

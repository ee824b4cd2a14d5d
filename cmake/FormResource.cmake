# Form resources: form sources (.kfm) compiled by the host tool formc into binary resources,
# linked into Windows programs as RCDATA named after the form's class.
if(WIN32)
  enable_language(RC)
  include(ExternalProject)
  # The compiler and the picture drawer must run on the build host: build them from this tree
  # with the host toolchain.
  set(KESTRIN_HOST_DIR ${CMAKE_BINARY_DIR}/host CACHE INTERNAL "the host tools' build")
  set(KESTRIN_FORMC ${KESTRIN_HOST_DIR}/tools/formc/formc CACHE INTERNAL "the form compiler")
  ExternalProject_Add(formc_host
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${KESTRIN_HOST_DIR}
    CMAKE_ARGS -DKESTRIN_TESTS=OFF -DCMAKE_BUILD_TYPE=Release -G Ninja
    BUILD_COMMAND ${CMAKE_COMMAND} --build . --target formc draw_artwork
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${KESTRIN_FORMC} ${KESTRIN_HOST_DIR}/tools/artwork/draw_artwork)
  set(KESTRIN_FORMC_DEPENDS formc_host CACHE INTERNAL "its target")
else()
  set(KESTRIN_FORMC $<TARGET_FILE:formc> CACHE INTERNAL "the form compiler")
  set(KESTRIN_FORMC_DEPENDS formc CACHE INTERNAL "its target")
endif()

# kestrin_form_resource(TARGET target SOURCE file.kfm RESOURCE NAME [BASEDIR dir] [REGISTER function]
#                       [DEPENDS files...])
# Files the form names (embedded files, pictures) are found relative to BASEDIR, by default the
# source's directory.
# Strings of the source are stored in code page 932, the program's default language.
# REGISTER adds to the target a function of that name that registers, by name, exactly the classes
# of the form's components, so that a program links no component class its form does not use.
function(kestrin_form_resource)
  cmake_parse_arguments(F "" "TARGET;SOURCE;RESOURCE;BASEDIR;REGISTER" "DEPENDS" ${ARGN})
  get_filename_component(src ${F_SOURCE} ABSOLUTE)
  if(F_REGISTER)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${src})
    file(STRINGS ${src} objects REGEX "^[ ]*object [A-Za-z0-9_]+: T[A-Za-z0-9_]+")
    list(REMOVE_AT objects 0)  # the form itself, which the program creates
    set(classes "")
    foreach(line ${objects})
      string(REGEX REPLACE ".*: (T[A-Za-z0-9_]+).*" "\\1" class "${line}")
      list(APPEND classes ${class})
    endforeach()
    list(REMOVE_DUPLICATES classes)
    list(SORT classes)
    set(body "")
    foreach(class ${classes})
      string(APPEND body "    RegisterComponent<${class}>();\n")
    endforeach()
    get_filename_component(srcname ${src} NAME)
    set(gen ${CMAKE_CURRENT_BINARY_DIR}/${F_RESOURCE}_classes.cpp)
    file(CONFIGURE OUTPUT ${gen} CONTENT
         "// Made from ${srcname}: the classes of its components, registered by name.\n#include \"controls/uComponentClasses.h\"\n\nvoid ${F_REGISTER}() {\n${body}}\n")
    target_sources(${F_TARGET} PRIVATE ${gen})
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${F_RESOURCE}.kfr)
  set(base "")
  if(F_BASEDIR)
    set(base -C ${F_BASEDIR})
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND ${KESTRIN_FORMC} --codepage 932 ${base} ${src} -o ${out}
    DEPENDS ${src} ${KESTRIN_FORMC_DEPENDS} ${F_DEPENDS}
    COMMENT "Compiling form ${F_RESOURCE}")
  if(WIN32)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${F_RESOURCE}.rc)
    file(WRITE ${rc} "${F_RESOURCE} RCDATA \"${out}\"\n")
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${out})
    target_sources(${F_TARGET} PRIVATE ${rc})
  else()
    add_custom_target(${F_TARGET}_${F_RESOURCE}_kfr DEPENDS ${out})
    add_dependencies(${F_TARGET} ${F_TARGET}_${F_RESOURCE}_kfr)
  endif()
endfunction()
